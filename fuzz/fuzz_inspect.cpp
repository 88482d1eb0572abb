// What `inspect` decodes: a firmware read strictly, or a raw bank file, then described.
#include "FuzzSupport.h"

#include "firmware/FirmwareCheck.h"
#include "image/ImageDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(QStringLiteral("input"), data, size);
    const FirmwareCheck check = CheckFirmwareFile(path, 1);
    fuzz::check(check.windowBytes >= 0 && check.windowBytes <= qint64(kImageSize),
                "more window bytes than the window holds");
    fuzz::check(!check.flashable() || (check.faults == 0 && check.terminations > 0),
                "flashable without being sound and terminated");
    (void)DescribeImage(check.window);
    ConfigImage image;
    if (ReadBankFile(path, image).isEmpty()) {
        fuzz::check(size == kImageSize, "a bank file of another size was accepted");
        (void)DescribeImage(image);
    }
    return 0;
}
