#include "app/Conversion.h"

#include "acquire/AddPicture.h"
#include "document/Dib.h"
#include "document/DynaArray.h"
#include "export/CreateThePDF.h"
#include "platform/IoError.h"
#include "platform/Messages.h"

#include <new>

ConversionResult runConversion(const std::vector<std::string>& args,
                               const ExportSettings& settings,
                               const std::function<void()>& processEvents) {
    ConversionResult result;
    if (args.empty()) {
        return result;
    }
    void* abild = nullptr;
    TDynaArray bilder(sizeof(dib), &abild);
    bilder.buffersize = 100;
    for (size_t k = 0; k + 1 < args.size(); ++k) {
        if (AddPicture_(bilder, args[k])) {
            ++result.picturesAdded;
        } else {
            ++result.picturesFailed;
        }
    }
    try {
        ExportCallbacks callbacks;
        callbacks.processEvents = processEvents;
        const ExportOutcome outcome =
            CreateThePDF(bilder, settings, args.back(), false, callbacks);
        result.pdfWritten = outcome.written;
    } catch (const qly::IoError& e) {
        result.writeError = e.what();
    } catch (const std::bad_alloc&) {
        result.writeError = "Nicht genug Arbeitsspeicher.";
    }
    bilder.First();
    while (bilder.WhileNext()) {
        freedib(*static_cast<dib*>(abild));
    }
    bilder.Clear();
    return result;
}
