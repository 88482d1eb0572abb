// pargen.xml as the parameters dialog and the composer read it: the loader always gives values
// (defaults on a damaged file), the composer either composes or names its reason, and what the
// loader gives saves to a file that loads back the same.
#include "FuzzSupport.h"

#include "image/ConfigImage.h"
#include "image/ImageComposer.h"
#include "parameters/GeneralParameters.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(QStringLiteral("pargen.xml"), data, size);
    const LoadedParameters loaded = LoadParameters(path);
    if (loaded.error)
        fuzz::check(loaded.values == WriteParameterDefaults(), "a damaged file gave non-defaults");
    ConfigImage image;
    const Result<> composed = ComposeImage(
        image, path, [] { return CompositionStamp(QDateTime(QDate(2026, 12, 9), QTime(12, 0))); });
    if (!composed)
        fuzz::check(composed.error().startsWith("Configuration image not composed. "),
                    "a composer failure without its lead text");
    const QString saved = fuzz::scratchFolder() + QStringLiteral("/saved.xml");
    if (SaveParameters(loaded.values, saved).ok()) {
        const LoadedParameters back = LoadParameters(saved);
        fuzz::check(!back.error && back.values == loaded.values,
                    "a saved file reads back otherwise");
    }
    return 0;
}
