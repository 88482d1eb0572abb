#include "editors/PdoTable.h"

#include "editors/TableFiles.h"

const GridTableSchema& PdoTableSchema() {
    static const GridTableSchema schema = [] {
        GridTableSchema s;
        s.tableName = kPdoTable;
        s.caption = QStringLiteral("Define Traslate PDO");
        s.pageCaptions = {QStringLiteral("PDO From CanA to CanB"),
                          QStringLiteral("PDO From CanB to CanA")};
        s.layout.captions = {QStringLiteral("N°"),          QStringLiteral("cobid"),
                             QStringLiteral("id_dev_orig"), QStringLiteral("en_traslate"),
                             QStringLiteral("posid"),       QStringLiteral("n_tPDO")};
        s.layout.titleTexts = {QStringLiteral("N"),           QStringLiteral("cobid"),
                               QStringLiteral("id_dev_orig"), QStringLiteral("en_bypass"),
                               QStringLiteral("posind"),      QStringLiteral("n_tpdo")};
        s.layout.shownRows = 10;
        s.layout.firstNumber = 0;
        s.layout.holdsRows = true;
        s.attributes = {QStringLiteral("cobid"), QStringLiteral("id_dev_orig"),
                        QStringLiteral("en_bypass"), QStringLiteral("posind"),
                        QStringLiteral("n_tpdo")};
        s.flagColumn = 3;
        s.keyColumn = 1;
        // "en_bypass": bit 1 set for CAN A to CAN B, bit 0 translation enabled.
        s.fileCode.sideBit = 0x02;
        s.fileCode.sideWhenSet = 0;
        s.fileCode.flagBit = 0x01;
        s.fileCode.texts = {{{QStringLiteral("2"), QStringLiteral("3")},
                             {QStringLiteral("0"), QStringLiteral("1")}}};
        // A workbook carries the direction the other way round; the export writes it as two
        // digits, which read back as 0, 1, 10 and 11.
        s.sheetCode.sideBit = 0x02;
        s.sheetCode.sideWhenSet = 1;
        s.sheetCode.flagBit = 0x01;
        s.sheetCode.texts = {{{QStringLiteral("00"), QStringLiteral("01")},
                              {QStringLiteral("10"), QStringLiteral("11")}}};
        // Repeated minimum on the cobid below "0x999999"; an equal cobid is taken, so equal
        // cobids are written in reverse grid order and one equal to the bound is written.
        s.orderColumns = {1};
        s.order = {KeyReading::IntegerText, {QStringLiteral("0x999999")}, TieRule::TakeLater};
        s.notFoundMessage = true;
        return s;
    }();
    return schema;
}
