// XML loading for every project file: nesting refused early, messages carry a line, and a
// document that loads serialises to text that loads again.
#include "FuzzSupport.h"

#include "project/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QDomDocument doc;
    const Result<> loaded = LoadXmlText(doc, text);
    if (!loaded) {
        fuzz::check(!loaded.error().isEmpty(), "a load failure without a message");
        return 0;
    }
    // Our writers build elements, attributes and text only; QDom keeps processing
    // instructions whose names it does not check, so those are left out of the promise.
    const QByteArray serialised = SerializeXml(doc);
    if (serialised.contains("<?"))
        return 0;
    QDomDocument again;
    fuzz::check(LoadXmlText(again, serialised).ok(), "serialised text does not load");
    return 0;
}
