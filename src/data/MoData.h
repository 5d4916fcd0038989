// Wrappers of host datasets. A wrapper holds the host's handle of one
// dataset or worksheet column and turns every cell operation into one host
// request. It lives on the stack of one method call; its destruction
// commits the grown extent of the dataset to the host.
//
// Indices are 0-based. Negative indices and INT32_MAX are refused without a
// request: the host cannot hold such a cell, and the extent that would have
// to cover INT32_MAX cannot be expressed in a signed 32-bit upper index.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "frame/Mobj.h"
#include "zel/zel.h"

namespace zel {

class MoString;

// Root of every wrapper of a host object.
class MoTavrel : public Mobj {
public:
    ZEL_CLASS_NAME(MoTavrel)
};

// A pair of doubles as GetPair and SetPair move it.
struct DataPair {
    double first = kMissingValue;
    double second = kMissingValue;
};

// Construction arguments that are not a lookup.
struct TemporaryRange {  // a temporary dataset, then SetRange(lower, upper)
    int32_t lower = 0;
    int32_t upper = 0;
};
struct NewDataset {  // a named dataset of size cells; a size below 0 makes a temporary one
    int32_t size = 0;
    const char* name = nullptr;
};

// Access mode flags: alternative value requests.
inline constexpr uint16_t kAccessModeAlt2 = 0x2;
inline constexpr uint16_t kAccessModeAlt4 = 0x4;

// Storage types sent with SetRange: 0 to 4, optionally with this flag.
inline constexpr int32_t kStorageTypeFlag = 0x1000;
inline constexpr int32_t kDefaultStorageType = 3;

// The host's type code for a storage type; none outside 0..4 (with or
// without the flag).
constexpr std::optional<int32_t> RangeTypeCode(int32_t storageType) {
    constexpr int32_t kCodes[] = {0x8000, 0x8001, 0x8005, 0x8002, 0x8009};
    const int32_t base = storageType & ~kStorageTypeFlag;
    if (base < 0 || base > 4) return std::nullopt;
    return kCodes[base] + ((storageType & kStorageTypeFlag) != 0 ? 0x10 : 0);
}

class MoData : public MoTavrel {
public:
    ZEL_CLASS_NAME(MoData)

    // By dataset name (0x3000). With skipEmpty a null or empty name stays
    // detached without a request. The name is cut to 24 characters.
    MoData(const char* name, bool skipEmpty);
    // By worksheet name and 0-based column index (0x3001, key index + 1).
    MoData(const MoString& worksheetName, int32_t columnIndex);
    // By worksheet name and column name (0x300E); both must hold a text.
    MoData(const MoString& worksheetName, const MoString& columnName);
    // A new dataset (0x300F, or 0x341B for a size below 0); temporary.
    explicit MoData(const NewDataset& request);
    // A temporary dataset (0x341B) with the extent [lower, upper).
    explicit MoData(const TemporaryRange& range);
    // Takes over another wrapper's dataset: handle, locator, bounds, access
    // mode, storage type, highest index, modified and temporary flags. The
    // other is left detached, so that only one of them commits or releases.
    MoData(MoData&& other) noexcept;
    MoData& operator=(MoData&&) = delete;

    // Commits the extent.
    ~MoData() override;

    bool IsValid() const override { return valid_ != 0; }
    // Detached: records error 1000 against the class name and answers true.
    bool HasError() override;

    // Every operation answers 0 for success and 1 for failure unless stated;
    // the element-wise operators answer 44 when memory ran out.

    // v at every index of [lower, upper).
    virtual int32_t Fill(double value);
    // SetRange to other's bounds, copies that range, releases other when it
    // is temporary. Assigning a wrapper to itself does nothing.
    virtual int32_t Assign(MoData& other);

    // Element-wise operations over [lower, upper) into a new temporary
    // dataset with the same bounds. A missing operand, a division by zero or
    // a result that is not finite gives the missing value. On failure result
    // is empty and no temporary is left in the host.
    virtual int32_t TimesScalar(double factor, std::unique_ptr<MoData>& result) const;
    virtual int32_t TimesData(const MoData& other, std::unique_ptr<MoData>& result) const;
    virtual int32_t PlusScalar(double term, std::unique_ptr<MoData>& result) const;
    virtual int32_t PlusData(const MoData& other, std::unique_ptr<MoData>& result) const;
    virtual int32_t MinusScalar(double term, std::unique_ptr<MoData>& result) const;
    virtual int32_t MinusData(const MoData& other, std::unique_ptr<MoData>& result) const;
    virtual int32_t DivideScalar(double divisor, std::unique_ptr<MoData>& result) const;
    virtual int32_t DivideData(const MoData& other, std::unique_ptr<MoData>& result) const;

    // The same in place; cells without a number are left as they are.
    virtual int32_t MultiplyByScalar(double factor);
    virtual int32_t MultiplyByData(const MoData& other);
    virtual int32_t DivideByScalar(double divisor);
    virtual int32_t DivideByData(const MoData& other);
    virtual int32_t AddScalar(double term);
    virtual int32_t AddData(const MoData& other);
    virtual int32_t SubtractScalar(double term);
    virtual int32_t SubtractData(const MoData& other);

    // Stores (0x3445, 0x3401): a success raises the highest index stored and
    // marks the wrapper modified; a failure changes nothing.
    virtual int32_t SetText(int32_t index, const char* text);
    virtual int32_t SetValue(int32_t index, double value);
    // The cell's text (0x3446), cut to the buffer; empty on failure.
    virtual int32_t GetText(int32_t index, TextOut buffer) const;
    virtual void SetAccessMode(uint16_t flags) { accessMode_ = flags; }
    // Sets the host's extent (0x340B). Refused without a request when
    // detached or lower > upper; on a refusal nothing changes.
    virtual int32_t SetRange(int32_t lower, int32_t upper);
    virtual int32_t ClearRange() { return SetRange(0, 0); }
    // Publishes the extent after stores: when modified or stored at or past
    // the upper index, the host's extent becomes [host lower, max(host
    // upper, highest + 1)). Never shrinks the dataset.
    virtual int32_t Commit();
    // Local bounds only.
    virtual void SetBounds(int32_t lower, int32_t upper);
    virtual int32_t GetPair(int32_t index, DataPair& pair) const;
    // As GetPair, refused for an index outside [lower, upper).
    virtual int32_t GetPairInRange(int32_t index, DataPair& pair) const;
    virtual int32_t SetPair(int32_t index, const DataPair& pair);
    virtual bool IsAttached() const { return handle_ != 0; }
    virtual bool IsEmpty() const { return upper_ <= lower_; }
    // Intersects the bounds with the host's extent (0x3409); true when at
    // least minimum cells remain. A refused request changes nothing and
    // answers false.
    virtual bool ClipToHost(int32_t minimum);
    // Sends two integers (0x3412); the host's answer, 1 when detached.
    virtual int32_t SetIndexPair(int32_t first, int32_t second);
    // Reads and stores with the request chosen by the access mode (flag 2
    // before flag 4, else the plain request). A store by mode raises the
    // highest index only.
    virtual double GetValueByMode(int32_t index) const;
    virtual int32_t SetValueByMode(int32_t index, double value);
    // The host's double for a key (0x3404), or the missing value.
    virtual double LookUp(double key) const;
    // Frees a temporary dataset in the host (0x341C) and detaches; answers 1
    // and frees nothing for a dataset the wrapper did not create.
    virtual int32_t ReleaseTemporary();

    // The cell's number (0x3400), or the missing value.
    double ValueAt(int32_t index) const;
    // Whether the dataset holds text (0x3444).
    bool IsText() const;
    // The host's text of a numeric cell (0x3448); refused on a text dataset.
    int32_t FormatAt(int32_t index, TextOut buffer) const;
    // An 8-bit marker (0x3447); not a store for the extent.
    int32_t SetMarkAt(int32_t index, uint8_t mark);

    // Storage type sent with SetRange; 1 for one without a type code.
    int32_t SetStorageType(int32_t storageType);

    uint32_t handle() const { return handle_; }
    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }
    int32_t highestStored() const { return highest_; }
    bool modified() const { return modified_ != 0; }
    bool temporary() const { return temporary_ != 0; }
    uint16_t accessMode() const { return accessMode_; }
    int32_t storageType() const { return storageType_; }
    const ZelLocator& locator() const { return locator_; }

protected:
    // Cells the host can hold and an extent can cover.
    static constexpr bool UsableIndex(int32_t index) { return index >= 0 && index < INT32_MAX; }

    // One request on this dataset; 1 without a callback.
    int32_t Ask(int32_t code, intptr_t out) const;
    template <class T>
    int32_t Ask(int32_t code, T* out) const {
        return Ask(code, reinterpret_cast<intptr_t>(out));
    }
    // Takes the handle and extent from a lookup's answer.
    void Attach(int32_t answer);
    void Detach();
    void NoteStore(int32_t index, bool markModified);
    int32_t FormatCell(int32_t index, TextOut buffer) const;

private:
    enum class Arith { Multiply, Add, Subtract, Divide };
    static double Apply(Arith op, double left, double right);
    int32_t IntoTemporary(Arith op, const MoData* other, double scalar,
                          std::unique_ptr<MoData>& result) const;
    int32_t InPlace(Arith op, const MoData* other, double scalar);

    int32_t valid_ = 1;
    uint32_t handle_ = 0;
    int32_t modified_ = 0;
    ZelLocator locator_{0, 0, 0, 0};
    int32_t lower_ = 0;
    int32_t upper_ = 0;
    uint16_t accessMode_ = 0;
    int32_t highest_ = -1;
    int32_t temporary_ = 0;
    int32_t storageType_ = kDefaultStorageType;
};

// A dataset read by a write method.
class MoSourceData : public MoData {
public:
    ZEL_CLASS_NAME(MoSourceData)
    MoSourceData(const char* name, bool skipEmpty) : MoData(name, skipEmpty) {}
    // Column number counted from 1.
    MoSourceData(const MoString& worksheetName, int32_t column);
};

// A dataset written by a read method.
class MoResultData : public MoData {
public:
    ZEL_CLASS_NAME(MoResultData)
    MoResultData(const char* name, bool skipEmpty) : MoData(name, skipEmpty) {}
    // Column number counted from 1.
    MoResultData(const MoString& worksheetName, int32_t column);
    explicit MoResultData(const TemporaryRange& range) : MoData(range) {}
};

// A dataset that may hold text.
class MoTextData : public MoData {
public:
    ZEL_CLASS_NAME(MoTextData)
    // By name with the skip-empty flag; detached unless the dataset holds text.
    explicit MoTextData(const char* name);
    // Column number counted from 1.
    MoTextData(const MoString& worksheetName, int32_t column);

    // The stored text of a text dataset, the host's text of a number
    // otherwise.
    int32_t CellText(int32_t index, TextOut buffer) const;
    // Element index of an indexed member: as text into a text dataset, as a
    // number otherwise. A failed element read stores nothing.
    int32_t SetFromMember(int32_t index, MoScript& member);
    int32_t SetTextFromString(int32_t index, const MoString& text);
    // Every cell of other's [lower, upper) to the same index here: texts as
    // texts from a text dataset, numbers as numbers otherwise.
    int32_t CopyTextFrom(const MoData& other);
    // CellText as a string; empty on failure.
    std::string TextAsString(int32_t index) const;
};

// A worksheet column addressed by worksheet and column number.
class MoWksCol : public MoTextData {
public:
    ZEL_CLASS_NAME(MoWksCol)
    // Column number counted from 1.
    MoWksCol(const MoString& worksheetName, int32_t column) : MoTextData(worksheetName, column) {}
};

}  // namespace zel
