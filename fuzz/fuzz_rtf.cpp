// The help file's rich-text reader: any bytes either convert or are refused, never a crash.
#include "FuzzSupport.h"

#include "info/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)RtfToHtml(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
