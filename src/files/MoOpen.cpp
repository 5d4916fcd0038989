#include "files/MoOpen.h"

#include <new>


namespace zel {

using platform::FileCause;
using platform::FileException;

MoOpen::MoOpen(IoContext& io)
    : MoGeneralIO(io),
      nameArg_(AddArgument<MoString>()),
      modeArg_(AddArgument<MoInt>()),
      mode_(io, 0, 2) {}

const MemberEntry MoOpen::kSubMembers[] = {
    {"MODE", &MemberAt<&MoOpen::mode_>},
    {"FILENAME", &MemberAt<&MoOpen::fileName_>},
    {"NAME", &MemberAt<&MoOpen::fileName_>},
    {"WKSNAME", &MemberAt<&MoOpen::wksName_>},
    {"WORKSHEETNAME", &MemberAt<&MoOpen::wksName_>},
    {nullptr, nullptr},
};

void MoOpen::ResetState() {
    mode_.CheckedSet(0.0);
    fileName_.SetText("");
}

int32_t MoOpen::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    *result = -1.0;

    const int32_t requested = modeArg_.given() ? modeArg_.value() : mode_.value();
    const uint8_t mode = static_cast<uint8_t>(static_cast<uint32_t>(requested) & 0xFFu);
    if (int32_t e = mode_.CheckValue(mode); e != 0) return e;

    if (nameArg_.given()) fileName_.SetText(nameArg_.text());
    MoHFILE& hfile = io_.HFile();
    if (!fileName_.HasText()) {
        hfile.SetToNone();
        return io_.Report(Err::NoFileNameText);
    }

    std::unique_ptr<MyCFile> file;
    try {
        file = std::make_unique<MyCFile>(mode);
    } catch (const std::bad_alloc&) {
        return io_.Report(Err::OutOfMemory);
    }

    // A missing file is created by a second attempt, whatever the mode.
    const std::string name(fileName_.text());
    FileException error;
    bool opened = file->Open(name, MyCFile::OpenFlagsFor(mode, false), &error);
    const bool notFound = !opened && error.cause() == FileCause::FileNotFound;
    if (notFound) {
        error = FileException();
        opened = file->Open(name, MyCFile::OpenFlagsFor(mode, true), &error);
    }
    if (!opened) {
        hfile.SetToNone();
        return io_.Report(notFound ? Err::CreateFailed : Err::OpenFailed, error);
    }
    file->set_mode(mode);
    MyCFile* added = file.get();
    io_.Files().Append(std::move(file));
    hfile.SelectFile(added);
    *result = added->Handle();
    return 0;
}

MoClose::MoClose(IoContext& io) : MoGeneralIO(io) { AddArgument<MoInt>(); }

int32_t MoClose::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    MoHFILE& hfile = io_.HFile();
    MyCFile* file = hfile.file();
    try {
        file->Close();
    } catch (const FileException& e) {
        if (io_.NewActions()) hfile.ReleaseCurrentFile();
        return io_.Report(Err::CloseFailed, e);
    }
    io_.Files().Remove(file);
    hfile.ReleaseCurrentFile();
    *result = 0.0;
    return 0;
}

MoCloseAll::MoCloseAll(IoContext& io) : MoGeneralIO(io) {}

int32_t MoCloseAll::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t e = io_.Files().CloseAllFiles(io_); e != 0) {
        *result = -1.0;
        return e;
    }
    io_.HFile().ReleaseCurrentFile();
    *result = 0.0;
    return 0;
}

}  // namespace zel
