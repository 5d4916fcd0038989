// MODLL itself, driven as a host drives it: a run is a series of requests
// with fuzzed codes, owners, member names, numbers, texts and argument
// texts, against the module's own object. Between runs the object closes
// its files and goes back to its defaults.
//
// Input: a file (a length byte and its bytes) that the requests can open
// as "a.bin", then requests until the input ends (at most 32). A request
// is a byte (low three bits: its kind; top bit: the probe flag) and what
// its kind needs: names are a byte (an index into the known names, or past
// them a text up to a NUL), texts run up to a line feed. Kind 7 with bit 6
// set is no request: it makes a file operation fail from then on (as a
// failing disk would), the operation and the calls that still pass in the
// next two bytes.
#include <cstring>
#include <string>

#include "frame/ErrorRing.h"
#include "module/Zel.h"
#include "platform/Vfs.h"
#include "support/MemVfs.h"
#include "support/Harness.h"

namespace zel {
ZEL* ModuleZel();
}

namespace {

using zelfuzz::ByteSource;

constexpr const char* kNames[] = {
    "OPEN", "CLOSE", "CLOSEALL", "SWITCHMODE", "GETPOS", "SETPOS", "REWIND", "TOEND", "JUMP",
    "JUMPCHUNK", "EXISTS", "REMOVE", "SIZE", "READ", "WRITE", "FREAD", "FWRITE", "DREAD",
    "DWRITE", "LDREAD", "LDWRITE", "AREAD", "AWRITE", "READRECORD", "WRITERECORD",
    "READROWBIN", "TREAD", "LREAD", "READTOKEN", "CREAD", "LINEROW", "READROW", "READARRAY",
    "ASCII", "TWRITE", "LWRITE", "WAV", "SIGMAWIN", "SIGMADOS", "MATHEMATICA", "WKSBLOCK",
    "SYNTAX", "ALTSPELL", "LISTALL", "LISTSEP", "RESET", "LISTERR", "LASTERRID",
    "NEWACTIONS", "FILENAME", "WKSNAME", "MODE", "HFILE", "NBYTES", "BYTEORDER", "SIGNED",
    "SKIP", "NLINEMODE", "ERROR", "SYSERR", "MSG", "WARNMSG", "INCLUDE", "EXCLUDE",
    "READMODE", "STOPCHAR", "STOPSTRING", "NTOKENS", "NLINES", "STOPMODE", "ZEL"};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];

std::string Name(ByteSource& in) {
    const uint8_t n = in.Byte();
    if (n < kNameCount) return kNames[n];
    return in.Until('\0', 32);
}

// An owner: none (ZEL's own members), a known name, or a text.
bool Owner(ByteSource& in, std::string& owner) {
    if ((in.Byte() & 1) == 0) return false;
    owner = Name(in);
    return true;
}

double Value(ByteSource& in) {
    const uint8_t how = in.Byte();
    if ((how & 1) == 0) return static_cast<int8_t>(how) / 2;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(in.Byte()) << (8 * i);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The buffers a host hands over: the member name (a call's argument text,
// which the module rewrites in place) and the value.
struct Buffers {
    char member[ZEL_STRING_BUFFER * 2];
    alignas(8) char value[ZEL_STRING_BUFFER * 2];
    std::string text;

    void SetMember(const std::string& s) {
        std::memset(member, 0, sizeof member);
        std::memcpy(member, s.data(), std::min(s.size(), sizeof member - 1));
    }
};

void Request(tavrel::Host& host, zelfuzz::MemVfs& layer, ByteSource& in, Buffers& b) {
    const uint8_t op = in.Byte();
    if ((op & 7) == 7 && (op & 0x40) != 0) {
        const auto failing = static_cast<zelfuzz::MemVfs::Op>(in.Byte() % 5);
        layer.Fail(failing, in.Byte());
        return;
    }
    const int32_t probe = (op & 0x80) != 0 ? ZEL_PROBE_FLAG : 0;
    std::memset(b.value, 0, sizeof b.value);
    std::string owner;
    const bool hasOwner = Owner(in, owner);
    const char* ownerName = hasOwner ? owner.c_str() : nullptr;
    switch (op & 7) {
        case 0: {  // a method call
            const std::string method = Name(in);
            b.SetMember(in.Until('\n', 256));
            host.Raw(method.c_str(), b.member, b.value, ZEL_REQ_CALL | probe);
            break;
        }
        case 1: {
            b.SetMember(Name(in));
            const double v = Value(in);
            std::memcpy(b.value, &v, sizeof v);
            host.Raw(ownerName, b.member, b.value, ZEL_REQ_SET_NUMBER | probe);
            break;
        }
        case 2:
            b.SetMember(Name(in));
            host.Raw(ownerName, b.member, b.value, ZEL_REQ_GET_NUMBER | probe);
            break;
        case 3: {
            b.SetMember(Name(in));
            b.text = in.Until('\n', 512);
            host.Raw(ownerName, b.member, b.text.data(), ZEL_REQ_SET_STRING | probe);
            break;
        }
        case 4:
            b.SetMember(Name(in));
            host.Raw(ownerName, b.member, b.value, ZEL_REQ_GET_STRING | probe);
            break;
        case 5: {
            b.SetMember(Name(in));
            const double v = Value(in);
            std::memcpy(b.value, &v, sizeof v);
            const int32_t code = (in.Byte() & 1) != 0 ? ZEL_REQ_SET_COUNT : ZEL_REQ_GET_COUNT;
            host.Raw(ownerName, b.member, b.value, code | probe);
            break;
        }
        case 6:  // the status word, or a listing (no member name)
            b.SetMember("");
            host.Raw(ownerName, b.member, b.value, (in.Byte() & 1) != 0 ? ZEL_REQ_STATUS : ZEL_REQ_GET_NUMBER | probe);
            break;
        default: {  // any code at all
            b.SetMember(Name(in));
            const int32_t code = static_cast<int32_t>(in.Word() | (static_cast<uint32_t>(in.Byte()) << 16));
            host.Raw(ownerName, b.member, b.value, code);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static zelfuzz::MemVfs* layer = new zelfuzz::MemVfs;
    zel::ZEL* object = zel::ModuleZel();
    if (object == nullptr) zelfuzz::Finding("the module has no object");

    ByteSource in(data, size);
    layer->Clear();
    zel::platform::SetVfs(layer);
    layer->Put("/mem/a.bin", in.Text(255));
    {
        tavrel::Host host(&MODLL);
        host.CreateWorksheet("w", 3);
        tavrel::Dataset& d = host.CreateDataset("d");
        d.resize(4);
        for (int i = 0; i < 4; ++i) d.set(static_cast<std::size_t>(i), 1.5 * i);
        host.SetVariable('A', "1,2,3");

        Buffers buffers;
        for (int i = 0; i < 32 && in.Left() > 0; ++i) Request(host, *layer, in, buffers);

        layer->Disarm();
        char closeArgs[ZEL_STRING_BUFFER] = {};
        double result = 0.0;
        host.Raw("CLOSEALL", closeArgs, &result, ZEL_REQ_CALL);
    }
    if (layer->OpenCount() != 0) zelfuzz::Finding("CLOSEALL left a file open");
    object->ResetAll();
    zel::Errors().Clear();
    layer->Clear();
    zel::platform::SetVfs(nullptr);
    return 0;
}
