// var.xml as the translate table reads it: a reading either succeeds or says why.
#include "FuzzSupport.h"

#include "parameters/TranslateTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(QStringLiteral("var.xml"), data, size);
    // One model for the run: its fixed grid is what a load overwrites, as in the dialog.
    static TranslateTableModel model;
    const Result<> loaded = LoadTranslateTable(model, path);
    if (!loaded)
        fuzz::check(!loaded.error().isEmpty(), "a reading problem without a message");
    (void)FirstLeftOutLine(model);
    return 0;
}
