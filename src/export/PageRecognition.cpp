#include "export/PageRecognition.h"

#include "platform/Messages.h"
#include "platform/Texts.h"

#include <chrono>

// A page's job on the pool and the words it leaves. The pool's lock orders the worker's writing
// of `result` before the reading after take().
struct PageRecognition::Job {
    std::shared_ptr<qly::ImageCodingJob> job;
    std::shared_ptr<qly::RecognizedPage> result;
};

PageRecognition::PageRecognition(std::shared_ptr<qly::ImageCodingPool> pool,
                                 const std::string& languages, int32_t fallbackDpi)
    : pool_(std::move(pool)), languages_(languages), fallbackDpi_(fallbackDpi) {
    std::string problem;
    if (!qly::validTextLanguages(languages)) {
        problem = qly::withArgs(
            qly::translate("TextRecognition",
                           "Die Sprachen für die Texterkennung \"%1\" sind nicht lesbar (Beispiel: "
                           "deu+eng). Die PDF-Datei wird ohne erkannten Text geschrieben."),
            {languages});
    } else if (const std::vector<std::string> missing = qly::missingTextLanguages(languages);
               !missing.empty()) {
        problem = qly::missingTextLanguagesMessage(missing);
    } else {
        auto recognizer = std::make_shared<qly::TextRecognizer>(languages);
        // The first engine is loaded here, so a damaged language file is told at once, and the
        // first page does not wait for it.
        if (recognizer->load()) {
            recognizer_ = std::move(recognizer);
        } else {
            problem = qly::withArgs(
                qly::translate("TextRecognition",
                               "Die Sprachdaten für die Texterkennung (%1) lassen sich nicht "
                               "laden. Die PDF-Datei wird ohne erkannten Text geschrieben."),
                {languages});
        }
    }
    if (!problem.empty()) {
        qly::messageSink().showMessage("", problem, qly::MessageIcon::Warning);
    }
}

PageRecognition::~PageRecognition() {
    cancelAll();
}

void PageRecognition::start(const dib& page, uint32_t k) {
    if (!on()) {
        return;
    }
    if (k >= jobs_.size()) {
        jobs_.resize(size_t(k) + 1);
    }
    if (jobs_[k] != nullptr) {
        return;
    }
    auto job = std::make_shared<Job>();
    job->result = std::make_shared<qly::RecognizedPage>();
    // The task holds the recognizer and the result, not this object: a job that runs while the
    // export ends still finds both.
    job->job = pool_->runTask([recognizer = recognizer_, result = job->result, &page,
                               dpi = fallbackDpi_] { *result = recognizer->recognize(page, dpi); });
    jobs_[k] = std::move(job);
}

qly::RecognizedPage PageRecognition::take(const dib& page, uint32_t k,
                                          const std::function<void()>& whileWaiting) {
    if (!on()) {
        return {};
    }
    start(page, k);
    const std::shared_ptr<Job> job = std::move(jobs_[k]);
    while (whileWaiting && pool_->workers() > 0 &&
           !pool_->waitFor(*job->job, std::chrono::milliseconds(50))) {
        whileWaiting();
    }
    pool_->take(*job->job);
    return std::move(*job->result);
}

void PageRecognition::cancelAll() noexcept {
    for (std::shared_ptr<Job>& job : jobs_) {
        if (job != nullptr) {
            pool_->cancel(*job->job);
            job.reset();
        }
    }
}
