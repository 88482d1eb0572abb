// The five configuration banks of the gateway firmware: each bank file's name and the 24-bit
// address window its records load.
#pragma once

#include <QString>

#include <cstdint>

inline constexpr int kBankCount = 5;
inline constexpr std::uint32_t kBankWindowSize = 0x4000;
inline constexpr int kBankRecordBytes = 32;
inline constexpr int kBankRecordCount = int(kBankWindowSize) / kBankRecordBytes;

inline bool IsValidBank(int bank) {
    return bank >= 1 && bank <= kBankCount;
}
// 0x388000 for bank 1, each further bank 0x10000 higher. `bank` must be valid.
std::uint32_t BankWindowStart(int bank);
std::uint32_t BankWindowEnd(int bank); // the last address inside the window
// "bank1.bin" ... "bank5.bin"
QString BankFileName(int bank);
// "File bank1.bin Not Found,Abort Procedure"
QString BankMissingMessage(int bank);
