#include "editors/SdoTable.h"

#include "editors/TableFiles.h"

const GridTableSchema& SdoTableSchema() {
    static const GridTableSchema schema = [] {
        GridTableSchema s;
        s.tableName = kSdoTable;
        s.caption = QStringLiteral("Set SDO Access");
        s.pageCaptions = {QStringLiteral("SDO from CAN A request to CAN B"),
                          QStringLiteral("SDO from CAN B request to CAN A")};
        s.layout.captions = {
            QStringLiteral("N°"),       QStringLiteral("RW"),    QStringLiteral("Index"),
            QStringLiteral("SubIndex"), QStringLiteral("devID"), QStringLiteral("Index"),
            QStringLiteral("SubIndex"), QStringLiteral("nbyte"), QStringLiteral("mnemonico")};
        s.layout.titleTexts = {
            QStringLiteral("N"),        QStringLiteral("RW"),    QStringLiteral("Index"),
            QStringLiteral("Subindex"), QStringLiteral("devID"), QStringLiteral("Index"),
            QStringLiteral("Subindex"), QStringLiteral("nbyte"), QStringLiteral("mnemonico")};
        s.layout.shownRows = 1500;
        s.layout.firstNumber = 0;
        s.layout.holdsRows = true;
        s.attributes = {QStringLiteral("conf"),      QStringLiteral("IndexA"),
                        QStringLiteral("SubindexA"), QStringLiteral("devIDB"),
                        QStringLiteral("IndexB"),    QStringLiteral("SubindexB"),
                        QStringLiteral("nbyteB"),    QStringLiteral("mnemonico")};
        s.optionalAttributes = {QStringLiteral("mnemonico")};
        s.flagColumn = 1;
        s.keyColumn = 1;
        // "conf": bit 0 the direction (set: CAN B to CAN A), bit 4 read/write; the same in a
        // workbook and the export.
        s.fileCode.sideBit = 0x01;
        s.fileCode.sideWhenSet = 1;
        s.fileCode.flagBit = 0x10;
        s.fileCode.texts = {{{QStringLiteral("0"), QStringLiteral("16")},
                             {QStringLiteral("1"), QStringLiteral("17")}}};
        s.sheetCode = s.fileCode;
        // A stable sort on Index, then SubIndex, each its low 16 bits unsigned: the bound lies
        // above every such key, and equal keys keep their grid order.
        s.orderColumns = {2, 3};
        s.order = {KeyReading::Low16Unsigned,
                   {QStringLiteral("0x10000"), QStringLiteral("0")},
                   TieRule::KeepEarlier};
        s.notFoundMessage = false;
        return s;
    }();
    return schema;
}
