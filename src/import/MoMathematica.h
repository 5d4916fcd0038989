// MATHEMATICA: a list in Mathematica's notation into a worksheet, each
// element a text cell: { a, b, c } fills column 1, {{...},{...}} one
// column per inner list.
#pragma once

#include "import/MoHighLev.h"

namespace zel {

class MoMathematica : public MoImportIO {
public:
    ZEL_CLASS_NAME(MoMathematica)
    using MoImportIO::MoImportIO;

    // At most this many characters make one element; the next byte starts
    // another.
    static constexpr size_t kElementChars = 121;

private:
    int32_t Import(MoDLL& owner) override;
    enum class ElementEnd { More, ListEnd };
    // Reads one element byte by byte from the current file into element; a
    // failing read ends the list, held by p as it came.
    ElementEnd ReadElement(Program& p, std::string& element);
};

}  // namespace zel
