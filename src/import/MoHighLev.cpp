#include "import/MoHighLev.h"

#include "frame/MoDLL.h"
#include "host/HostServices.h"
#include "props/MoString.h"

namespace zel {

int32_t MoHighLev::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoZELIO::ParseArguments(argText, owner); r != 0) return r;
    for (size_t i = 0; i < saved_.size(); ++i) {
        double value = 0.0;
        SettingMember(static_cast<Setting>(i)).GetNumber(&value);
        saved_[i] = value;
    }
    saving_ = true;
    ImportInProgress() = 1;
    return 0;
}

void MoHighLev::AfterExecute(MoDLL&) { Restore(); }

void MoHighLev::Restore() {
    if (!saving_) return;
    // Each setting gets back exactly the value it had, without the checks of
    // a script's store: a value that a legacy store let in (BYTEORDER 3, say)
    // would be refused by the current numbering, leave the importer's value
    // in place and overwrite the ERROR the import left.
    for (size_t i = 0; i < saved_.size(); ++i) {
        const auto setting = static_cast<Setting>(i);
        if (setting == Setting::Error || setting == Setting::SysErr) continue;
        const auto value = static_cast<int32_t>(saved_[i]);
        if (setting == Setting::HFile) {
            io_.HFile().Restore(value);
        } else {
            SettingMember(setting).Store(value);
        }
    }
    saving_ = false;
    ImportInProgress() = 0;
}

MoInt& MoHighLev::SettingMember(Setting setting) {
    switch (setting) {
        case Setting::NewActions: return io_.NewActionsProperty();
        case Setting::Error: return io_.Error();
        case Setting::SysErr: return io_.SysErr();
        case Setting::HFile: return io_.HFile();
        case Setting::NBytes: return io_.NBytes();
        case Setting::ByteOrder: return io_.ByteOrder();
        case Setting::Signed: return io_.Signed();
        case Setting::Skip: return io_.Skip();
        case Setting::NLineMode: return io_.NLineMode();
        case Setting::ListSep: break;
        case Setting::kCount: break;
    }
    return io_.ListSep();
}

void MoHighLev::SetSetting(Setting setting, double value) { SettingMember(setting).SetNumber(value); }

double MoHighLev::GetSetting(Setting setting) {
    double value = 0.0;
    SettingMember(setting).GetNumber(&value);
    return value;
}

MoMethod* MoHighLev::Method(MoDLL& owner, ZelMethod n) {
    return owner.MethodByNumber(static_cast<int32_t>(n));
}

int32_t MoHighLev::RunMethod(MoDLL& owner, ZelMethod n, double& result, std::initializer_list<Arg> args) {
    result = kMissingValue;
    MoMethod* method = Method(owner, n);
    if (method == nullptr) return io_.Report(Err::OutOfMemory);
    // The call takes exactly these arguments: one the script gave in its own
    // last call of the method (an hFile naming another file, say) must not
    // count as given here.
    for (int i = 0; i < method->argCount(); ++i) method->argument(i)->set_given(false);
    int k = 0;
    for (const Arg& arg : args) {
        MoProperty* slot = method->argument(k++);
        if (slot == nullptr) break;
        if (const auto* text = std::get_if<std::string_view>(&arg)) {
            if (auto* property = dynamic_cast<MoString*>(slot)) property->SetText(*text);
        } else if (const auto* whole = std::get_if<int32_t>(&arg)) {
            slot->SetNumber(*whole);
        } else {
            slot->SetNumber(std::get<double>(arg));
        }
        slot->set_given(true);
    }
    std::string none;
    int32_t r = method->ParseArguments(none, owner);
    if (r == 0) {
        r = method->Execute(&result, owner);
        method->AfterExecute(owner);
    }
    return r;
}

int32_t MoHighLev::NestedFailure(int32_t code) {
    if (io_.NewActions()) return code | kNestedOffset;
    io_.SetError(kLegacyNestedFailure);
    return kLegacyNestedFailure;
}

double MoHighLev::Program::Run(ZelMethod n, std::initializer_list<Arg> args, Held held) {
    if (failure_ != 0) return 0.0;
    double result = 0.0;
    if (int32_t r = importer_.RunMethod(owner_, n, result, args); r != 0) {
        Hold(r, held);
        return 0.0;
    }
    return result;
}

std::string MoHighLev::Program::ReadToken(char variable) {
    if (failure_ != 0) return {};
    importer_.SetSetting(Setting::ListSep, 0);
    Run(ZelMethod::ReadToken, {std::string_view(&variable, 1), 1});
    if (failure_ != 0) return {};
    std::array<char, ZEL_TEXT_BUFFER> buffer{};
    host::GetStringVariable(variable, buffer.data());
    buffer.back() = '\0';
    return buffer.data();
}

void MoHighLev::Program::Expect(bool layout) {
    if (failure_ == 0 && !layout) failure_ = importer_.io_.Report(Err::BadFormat);
}

void MoHighLev::Program::Hold(int32_t code, Held held) {
    if (failure_ == 0) failure_ = held == Held::Nested ? importer_.NestedFailure(code) : code;
}

bool MoHighLev::Program::AtEnd() {
    if (failure_ != ErrorInfo(Err::EndOfFile).current) return false;
    importer_.io_.ClearError();
    failure_ = 0;
    return true;
}

void MoHighLev::ShowWaitCursor() { host::Call(ZEL_CB_WAIT_CURSOR, 1, 0); }
void MoHighLev::RestoreCursor() { host::Call(ZEL_CB_WAIT_CURSOR, 0, 0); }
void MoHighLev::Repaint(uint32_t window) { host::Call(ZEL_CB_REPAINT, static_cast<intptr_t>(window), 0); }

MoImportIO::MoImportIO(IoContext& io) : MoHighLev(io), worksheet_(AddArgument<MoString>(StringRole::WorksheetName)) {
    AddArgument<MoInt>();
}

MoImportIO::DatasetName MoImportIO::ColumnDataset(std::string_view column) const {
    DatasetName name{};
    std::string text(worksheet_.text());
    text += '_';
    text += column;
    CopyBounded(TextOut(name), text.c_str());
    return name;
}

int64_t MoImportIO::ColumnLimit(Program& program) {
    const double size = program.Size();
    return size < static_cast<double>(kMaxColumns) ? static_cast<int64_t>(size) : kMaxColumns;
}

int32_t MoImportIO::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Repaint(RepaintWindow());
    ShowWaitCursor();
    const int32_t r = Import(owner);
    RestoreCursor();
    return r;
}

int32_t MoImportIO::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoHighLev::ParseArguments(argText, owner); r != 0) return r;
    if (!worksheet_.given()) {
        // The mark must not outlive a call that never runs.
        AfterExecute(owner);
        return io_.Report(Err::MissingTransferArgument);
    }
    return 0;
}

}  // namespace zel
