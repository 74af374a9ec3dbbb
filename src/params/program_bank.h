// KProgramBank: the values of every parameter in each of the ten programs,
// the program names, and ready-made value texts for the host and the editor.
// Its records, back to back, are also the chunk the host stores:
//   offset 0        25 bytes  program name (24 characters, zero-terminated)
//   offset 25 + 8i   8 bytes  parameter i, normalised, little-endian double
// so a record is 265 bytes and a bank 2650 bytes for 30 parameters. Slots
// are not aligned; the parameters read and write them by byte copy.
//
// Threads: values are written from the host's automation thread and the
// editor alike, without a lock; each value is one 8-byte slot written whole.
#pragma once

#include "params/param_list.h"

#include <memory>

namespace kx {

class KProgramBank {
public:
    static constexpr int kProgramCount = 10;
    static constexpr int kProgramNameLength = 24;
    static constexpr int kNameSize = kProgramNameLength + 1;
    static constexpr int kTextSize = 276;      // value-text entry; texts hold 275 characters
    static constexpr int kUnitTextSize = 285;  // unit-text entry, written with a limit of 276

    KProgramBank() = default;
    KProgramBank(const KProgramBank&) = delete;
    KProgramBank& operator=(const KProgramBank&) = delete;

    // Lays the bank out for the list's parameters (not owned; it must outlive
    // the bank) and resets every program to the defaults. Allocates.
    void build(const KParamList* params);
    // Every program named "Defaults", every slot at its parameter's default.
    void resetToDefaults();

    int getProgramCount() const { return programCount_; }
    int getParamCount() const { return paramCount_; }
    int getRecordSize() const { return recordSize_; }
    int getTotalSize() const { return recordSize_ * programCount_; }

    // Null outside 0..programCount-1 / 0..paramCount-1.
    unsigned char* slotOf(int program, int index);
    const unsigned char* slotOf(int program, int index) const;
    unsigned char* record(int program);
    const unsigned char* record(int program) const;
    // The program's name; the empty text outside 0..9. A chunk from the host
    // may fill all 25 bytes without a terminator: read at most 24 characters.
    const char* programName(int program) const;
    // Copies at most 24 characters. Bytes after the terminator keep what
    // they held: the chunk is the record byte for byte, and a rename writes
    // only the name it stores.
    void setProgramName(int program, const char* name);

    // Cached getDisplay / getDisplayWithUnits results; the empty text outside
    // the bank.
    const char* valueText(int program, int index) const;
    const char* unitText(int program, int index) const;
    void refreshText(int program, int index);
    void refreshAllTexts();

    // The parameter's setFromText on the slot, then refreshText. False when
    // nothing was stored (no such slot, or text the parameter cannot read).
    bool setFromText(int program, int index, const char* text);

    KParam* param(int index) const { return params_ ? params_->get(index) : nullptr; }
    // The list the bank was built for; null before build.
    const KParamList* params() const { return params_; }

private:
    bool contains(int program, int index) const {
        return program >= 0 && program < programCount_ && index >= 0 && index < paramCount_;
    }

    const KParamList* params_ = nullptr;
    int programCount_ = 0;
    int paramCount_ = 0;
    int recordSize_ = 0;
    std::unique_ptr<unsigned char[]> records_;
    std::unique_ptr<int[]> slotOffsets_;
    std::unique_ptr<char[]> valueTexts_;
    std::unique_ptr<char[]> unitTexts_;
};

}  // namespace kx
