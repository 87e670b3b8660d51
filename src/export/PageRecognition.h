#pragma once
// Recognising the text of the pages during an export: one job per page on the export's coding
// pool, beside the coding of the pictures, whose words the export writes as the page's invisible
// text layer.

#include "ocr/TextRecognition.h"
#include "pdf/ImageCoding.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class PageRecognition {
  public:
    // Recognition in `languages` on `pool`; pages without a resolution of their own are taken to
    // have `fallbackDpi`. When a language file is missing (or the list is not valid, or the
    // languages cannot be loaded) the user is told through the message sink, naming the
    // packages to install, and recognition stays off: the export goes on without text.
    PageRecognition(std::shared_ptr<qly::ImageCodingPool> pool, const std::string& languages,
                    int32_t fallbackDpi);
    // Cancels the jobs nobody took.
    ~PageRecognition();
    PageRecognition(const PageRecognition&) = delete;
    PageRecognition& operator=(const PageRecognition&) = delete;

    // True when the pages are recognised.
    bool on() const { return recognizer_ != nullptr; }
    const std::string& languages() const { return languages_; }

    // Starts recognising page k (`page`, which must stay unchanged and allocated until the job
    // has been taken or cancelled) unless it was started already.
    void start(const dib& page, uint32_t k);
    // The words of page k, waiting for its job (calling `whileWaiting`, when set, every 50 ms
    // meanwhile); a page not started is recognised here. ok is false when recognition is off or
    // failed for the page.
    qly::RecognizedPage take(const dib& page, uint32_t k,
                             const std::function<void()>& whileWaiting = {});
    // Cancels every job not taken; their pages are the caller's again.
    void cancelAll() noexcept;

  private:
    struct Job;
    std::shared_ptr<qly::ImageCodingPool> pool_;
    std::string languages_;
    int32_t fallbackDpi_;
    std::shared_ptr<qly::TextRecognizer> recognizer_;
    std::vector<std::shared_ptr<Job>> jobs_; // index: page
};
