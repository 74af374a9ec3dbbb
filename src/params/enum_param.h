// KEnumParam: a choice from a list of entry names. With n entries the
// normalised values 0, 1/(n-1), ... 1 stand for entries 0 to n-1.
#pragma once

#include "params/param.h"

#include <memory>

namespace kx {

inline constexpr int kEntryNameLength = 20;

class KEnumParam : public KParam {
public:
    const char* getClassName() const override { return "KEnumParam"; }

    // Makes room for n entries, all empty. Allocates; call at construction only.
    void setEntryCount(int n);
    int getEntryCount() const { return entryCount_; }
    // Copies at most 20 characters into entry `index`; ignored outside the table.
    void setEntry(int index, const char* name);
    // The entry's name; empty outside the table.
    const char* getEntry(int index) const;
    // The entry index a normalised value selects, kept inside the table
    // (-1 when the table is empty).
    int entryIndexOf(double normalised) const;

    double toReal(double normalised) const override;
    double toNormalised(double index) const override;
    void getDisplay(char* text, int size, const void* slot) const override;
    // Typed text selects an entry by its whole name or a unique start of it,
    // ignoring letter case; numbers are no entries.
    ValueDescription describeValues() const override;

private:
    static constexpr int kEntrySize = kEntryNameLength + 1;
    int entryCount_ = 0;
    std::unique_ptr<char[]> entries_;  // entryCount_ records of 21 bytes
};

}  // namespace kx
