// Number properties: integer, real and Boolean, and the error-number
// property. Every host access moves one double.
#pragma once

#include "frame/MoProperty.h"

namespace zel {

class MoNumeric : public MoProperty {
public:
    ZEL_CLASS_NAME(MoNumeric)

    int32_t AccessNumber(double* value, uint16_t flags) override;
    int32_t AccessNumberAt(double* value, int32_t index, uint16_t flags) override;
    int32_t GetNumberAt(double* value, int32_t index) override;
    void Reset() override;
    // Converts the text through the host, marks the property given, stores.
    int32_t SetFromText(const char* text) override;
};

class MoInt : public MoNumeric {
public:
    ZEL_CLASS_NAME(MoInt)
    MoInt() = default;
    explicit MoInt(int32_t value) : value_(value) {}

    int32_t SetNumber(double value) override;
    int32_t GetNumber(double* value) override;
    double GetValue() const override { return value_; }

    int32_t value() const { return value_; }
    // Stores without any check.
    void Store(int32_t value) { value_ = value; }

protected:
    int32_t value_ = 0;
};

class MoReal : public MoNumeric {
public:
    ZEL_CLASS_NAME(MoReal)
    int32_t SetNumber(double value) override;
    int32_t GetNumber(double* value) override;
    double GetValue() const override { return value_; }
    double value() const { return value_; }

private:
    double value_ = 0.0;
};

class MoBool : public MoNumeric {
public:
    ZEL_CLASS_NAME(MoBool)
    int32_t SetNumber(double value) override;
    int32_t GetNumber(double* value) override;
    // Stores 1 for any non-zero v, else 0, and answers what it stored.
    int32_t SetFlag(int32_t v);
    int32_t value() const { return value_; }

private:
    int32_t value_ = 0;
};

// ERROR and SYSERR of ZEL: an integer property like any other.
class MoErrorInt : public MoInt {
public:
    ZEL_CLASS_NAME(MoErrorInt)
};

}  // namespace zel
