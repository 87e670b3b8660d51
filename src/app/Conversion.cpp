#include "app/Conversion.h"

#include "acquire/AddPicture.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "export/CreateThePDF.h"
#include "platform/IoError.h"
#include "platform/Messages.h"

#include "platform/GrafikRW3.h"

#include <algorithm>
#include <deque>
#include <future>
#include <new>
#include <thread>

ConversionResult runConversion(TDynaArray& bilder, const std::vector<std::string>& args,
                               const ExportSettings& settings, const ExportCallbacks& callbacks) {
    ConversionResult result;
    if (args.empty()) {
        return result;
    }
    // Decoding dominates a conversion, so the pictures are read ahead on worker threads (as many
    // as there are cores) and added in argument order on this thread, which also shows any
    // message, in that order.
    const size_t pictures = args.size() - 1;
    const size_t ahead = std::max<size_t>(1, std::thread::hardware_concurrency());
    std::deque<std::future<dib>> reading;
    size_t next = 0;
    auto startReading = [&] {
        while (next < pictures && reading.size() < ahead) {
            const std::string& name = args[next++];
            reading.push_back(std::async(std::launch::async, [name] {
                dib d{};
                OpenDib(d, name, DIB_AUTO);
                return d;
            }));
        }
    };
    for (size_t k = 0; k < pictures; ++k) {
        startReading();
        dib picture = reading.front().get();
        reading.pop_front();
        if (AddReadPicture(bilder, args[k], picture)) {
            ++result.picturesAdded;
        } else {
            ++result.picturesFailed;
        }
        if (callbacks.processEvents) {
            callbacks.processEvents();
        }
    }
    try {
        const ExportOutcome outcome = CreateThePDF(bilder, settings, args.back(), false, callbacks);
        result.pdfWritten = outcome.written;
    } catch (const qly::IoError& e) {
        result.writeError = e.what();
    } catch (const std::bad_alloc&) {
        result.writeError = "Nicht genug Arbeitsspeicher.";
    }
    return result;
}
