// Value-holding members: the root of text and number properties. The same
// classes serve as members of ZEL, as sub-properties of a method and as a
// method's argument slots.
#pragma once

#include "frame/Mobj.h"

namespace zel {

class MoProperty : public MoScript {
public:
    ZEL_CLASS_NAME(MoProperty)

    // Sets the value from argument text and marks the property given.
    virtual int32_t SetFromText(const char* text) = 0;
    // The property's text, or null when it holds none.
    virtual const char* GetText() const { return nullptr; }
    // The property's number, or the missing value when it has none.
    virtual double GetValue() const { return kMissingValue; }

    // Whether the last argument parse supplied this property.
    bool given() const { return given_ != 0; }
    void set_given(bool given) { given_ = given ? 1 : 0; }

protected:
    int32_t given_ = 0;
};

}  // namespace zel
