#include "firmware/BankWindow.h"

#include "project/ProjectLayout.h"

std::uint32_t BankWindowStart(int bank) {
    return 0x388000u + std::uint32_t(bank - 1) * 0x10000u;
}

std::uint32_t BankWindowEnd(int bank) {
    return BankWindowStart(bank) + kBankWindowSize - 1;
}

QString BankFileName(int bank) {
    return ProjectLayout::BankFileName(bank);
}

QString BankMissingMessage(int bank) {
    return QStringLiteral("File %1 Not Found,Abort Procedure").arg(BankFileName(bank));
}
