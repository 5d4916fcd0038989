#include "files/MoOpen.h"

#include <new>

#include "frame/Zel.h"

namespace zel {

using platform::FileCause;
using platform::FileException;

MoOpen::MoOpen(ZEL& zel)
    : MoGeneralIO(zel, "([filename$][,mode])"),
      nameArg_(AddArgument<MoString>()),
      modeArg_(AddArgument<MoInt>()),
      mode_(zel, 0, 2),
      subMembers_{{{&mode_, "MODE"},
                   {&fileName_, "FILENAME"},
                   {&fileName_, "NAME"},
                   {&wksName_, "WKSNAME"},
                   {&wksName_, "WORKSHEETNAME"},
                   {nullptr, nullptr}}} {}

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
    MoHFILE& hfile = zel_.HFile();
    if (!fileName_.HasText()) {
        hfile.SetToNone();
        zel_.SetSysErr(0);
        return zel_.Fail(261, 1153);
    }

    std::unique_ptr<MyCFile> file;
    try {
        file = std::make_unique<MyCFile>(mode);
    } catch (const std::bad_alloc&) {
        return zel_.Fail(44, 5);
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
        zel_.SetSysErr(zel_.NewActions() ? error.causeCode() : 0);
        return zel_.Fail(notFound ? 21 : 22, 1153);
    }
    file->set_mode(mode);
    MyCFile* added = file.get();
    zel_.Files().Append(std::move(file));
    hfile.SelectFile(added);
    *result = added->Handle();
    return 0;
}

MoClose::MoClose(ZEL& zel) : MoGeneralIO(zel, "([hFile])") { AddArgument<MoInt>(); }

int32_t MoClose::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    MoHFILE& hfile = zel_.HFile();
    MyCFile* file = hfile.file();
    try {
        file->Close();
    } catch (const FileException& e) {
        if (zel_.NewActions()) {
            hfile.ReleaseCurrentFile();
            zel_.SetSysErr(e.causeCode());
        } else {
            zel_.SetSysErr(platform::LegacyCauseCode(e.cause()));
        }
        return zel_.Fail(23, 1156);
    }
    zel_.Files().Remove(file);
    hfile.ReleaseCurrentFile();
    *result = 0.0;
    return 0;
}

MoCloseAll::MoCloseAll(ZEL& zel) : MoGeneralIO(zel, "()") {}

int32_t MoCloseAll::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (int32_t e = zel_.Files().CloseAllFiles(zel_); e != 0) {
        *result = -1.0;
        return e;
    }
    zel_.HFile().ReleaseCurrentFile();
    *result = 0.0;
    return 0;
}

}  // namespace zel
