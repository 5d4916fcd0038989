#include "frame/Zel.h"

#include "frame/ErrorRing.h"
#include "platform/File.h"

namespace zel {

ZEL::ZEL() {
    // The module-wide state this object uses while it is destroyed must be
    // built before it, so that it is destroyed after it.
    Errors();
    platform::File::Initialize();
    files_.SetRemovalListener([this](const MyCFile* file) { hfile_.Forget(file); });
    hfile_.SetToNone();
    FillTables();
    ResetAll();
}

ZEL::~ZEL() {
    // Every open file is closed; a close that fails still releases the file,
    // so a second round always finishes.
    while (files_.CloseAllFiles(*this) != 0) {
    }
    files_.SetRemovalListener(nullptr);
}

void ZEL::FillTables() {
    ownProperties_ = {{
        {&newActions_, "NEWACTIONS"},
        {&newActions_, "NEWACTION"},
        {&newActions_, "NEW"},
        {&open_.FileName(), "FILENAME"},
        {&open_.FileName(), "NAME"},
        {&open_.WksName(), "WKSNAME"},
        {&open_.WksName(), "WORKSHEETNAME"},
        {&open_.Mode(), "MODE"},
        {&open_.Mode(), "OPENMODE"},
        {&hfile_, "HFILE"},
        {&nbytes_, "NBYTES"},
        {&nbytes_, "NBYTE"},
        {&byteOrder_, "BYTEORDER"},
        {&signed_, "SIGNED"},
        {&skip_, "SKIP"},
        {&nlineMode_, "NLINEMODE"},
        {&nlineMode_, "NLINESMODE"},
        {&listSep_, "LISTSEP"},
        {&error_, "ERROR"},
        {&syserr_, "SYSERR"},
        {nullptr, nullptr},
    }};
    ownMethods_ = {{
        {&reset_, "RESET"},
        {&listSepMethod_, "LISTSEP"},
        {&open_, "OPEN"},
        {&close_, "CLOSE"},
        {&closeAll_, "CLOSEALL"},
        {&closeAll_, "CLOSEALLFILES"},
        {&exists_, "EXISTS"},
        {&exists_, "EXIST"},
        {&remove_, "REMOVE"},
        {&remove_, "DELETE"},
        {&size_, "SIZE"},
        {&getPos_, "GETPOS"},
        {&setPos_, "SETPOS"},
        {&rewind_, "REWIND"},
        {&rewind_, "TOSTART"},
        {&rewind_, "TOBEGIN"},
        {&rewind_, "TOBEGINNING"},
        {&toEnd_, "TOEND"},
        {&toEnd_, "FFORWARD"},
        {&toEnd_, "FASTFORWARD"},
        {&jump_, "JUMP"},
        {&jumpChunk_, "JUMPCHUNK"},
        {&jumpChunk_, "JUMPCHUNKS"},
        {&switchMode_, "SWITCHMODE"},
        {&read_, "READ"},
        {&read_, "INTEGERREAD"},
        {&read_, "INTREAD"},
        {&write_, "WRITE"},
        {&write_, "INTEGERWRITE"},
        {&write_, "INTWRITE"},
        {&fread_, "FREAD"},
        {&fread_, "FLOATREAD"},
        {&fwrite_, "FWRITE"},
        {&fwrite_, "FLOATWRITE"},
        {&dread_, "DREAD"},
        {&dread_, "DOUBLEREAD"},
        {&dwrite_, "DWRITE"},
        {&dwrite_, "DOUBLEWRITE"},
        {&ldread_, "LDREAD"},
        {&ldread_, "LONGDOUBLEREAD"},
        {&ldread_, "LDOUBLEREAD"},
        {&ldwrite_, "LDWRITE"},
        {&ldwrite_, "LONGDOUBLEWRITE"},
        {&ldwrite_, "LDOUBLEWRITE"},
        {&aread_, "AREAD"},
        {&aread_, "ARRAYREAD"},
        {&awrite_, "AWRITE"},
        {&awrite_, "ARRAYWRITE"},
        {&readRowBin_, "READROWBIN"},
        {&readRecord_, "READRECORD"},
        {&readRecord_, "RRECORD"},
        {&readRecord_, "RECORDREAD"},
        {&readRecord_, "RREAD"},
        {&writeRecord_, "WRITERECORD"},
        {&writeRecord_, "WRECORD"},
        {&writeRecord_, "RECORDWRITE"},
        {&writeRecord_, "RWRITE"},
        {&readRow_, "READROW"},
        {&lineRow_, "LINEROW"},
        {&tread_, "TREAD"},
        {&lread_, "LREAD"},
        {&readToken_, "READTOKEN"},
        {&readArray_, "READARRAY"},
        {&ascii_, "ASCII"},
        {&ascii_, "READASCII"},
        {&cread_, "CREAD"},
        {&twrite_, "TWRITE"},
        {&lwrite_, "LWRITE"},
        {&mathematica_, "MATHEMATICA"},
        {&sigmaDos_, "SIGMADOS"},
        {&sigmaWin_, "SIGMAWIN"},
        {&wav_, "WAV"},
        {&wksBlock_, "WKSBLOCK"},
        {&syntax_, "SYNTAX"},
        {&altSpell_, "ALTERNATESPELLINGS"},
        {&altSpell_, "ALTERNATESPELLING"},
        {&altSpell_, "ALTSPELLINGS"},
        {&altSpell_, "ALTSPELLING"},
        {&altSpell_, "ALTSPELL"},
        {&listAll_, "LISTALL"},
        {&listAll_, "LISTALLFILES"},
        {nullptr, nullptr},
    }};
}

int32_t ZEL::AccessProperty(const char* name, uint16_t flags, void* value) {
    int32_t r = AccessPropertyIn(name, flags, value, OwnProperties());
    return r != kNotHandled ? r : AccessPropertyIn(name, flags, value, baseProperties());
}

void ZEL::ListAllMembers() {
    ListMembers(OwnMethods(), nullptr);
    ListMembers(OwnProperties(), nullptr);
    ListMembers(baseMethods(), nullptr);
    ListMembers(baseProperties(), nullptr);
}

int32_t ZEL::ListMembersOfPath(const char* path) {
    int32_t r = ListMembersOfPathIn(path, OwnMethods());
    return r != 0 ? r : ListMembersOfPathIn(path, baseMethods());
}

int32_t ZEL::CallMethod(const char* name, char* argText, double* result) {
    int32_t r = CallMethodIn(name, argText, result, OwnMethods());
    return r != kNotHandled ? r : CallMethodIn(name, argText, result, baseMethods());
}

int32_t ZEL::AccessSubMember(const char* ownerName, const char* name, void* value,
                             uint16_t flags) {
    int32_t r = AccessSubMemberIn(ownerName, name, flags, value, OwnMethods());
    return r != kNotHandled ? r : AccessSubMemberIn(ownerName, name, flags, value, baseMethods());
}

void ZEL::ResetAll() {
    MoDLL::ResetAll();
    ResetMembers(OwnProperties());
    ResetMembers(OwnMethods());
    hfile_.SetToNone();
    nbytes_.Store(1);
    listSep_.Store(44);
}

void ZEL::OnMethodFault(bool outOfMemory) {
    if (outOfMemory) SetError(NewActions() ? 44 : 5);
}

}  // namespace zel
