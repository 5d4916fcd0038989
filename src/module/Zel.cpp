#include "module/Zel.h"

#include <iterator>

namespace zel {

// Aliases follow their member; the order is the order of the listings and of
// SYNTAX and ALTSPELL.
const MemberEntry ZEL::kProperties[] = {
    {"NEWACTIONS", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"NEWACTION", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"NEW", &ZEL::ContextMember<&IoContext::NewActionsProperty>},
    {"FILENAME", &ZEL::OpenMember<&MoOpen::FileName>},
    {"NAME", &ZEL::OpenMember<&MoOpen::FileName>},
    {"WKSNAME", &ZEL::OpenMember<&MoOpen::WksName>},
    {"WORKSHEETNAME", &ZEL::OpenMember<&MoOpen::WksName>},
    {"MODE", &ZEL::OpenMember<&MoOpen::Mode>},
    {"OPENMODE", &ZEL::OpenMember<&MoOpen::Mode>},
    {"HFILE", &ZEL::ContextMember<&IoContext::HFile>},
    {"NBYTES", &ZEL::ContextMember<&IoContext::NBytes>},
    {"NBYTE", &ZEL::ContextMember<&IoContext::NBytes>},
    {"BYTEORDER", &ZEL::ContextMember<&IoContext::ByteOrder>},
    {"SIGNED", &ZEL::ContextMember<&IoContext::Signed>},
    {"SKIP", &ZEL::ContextMember<&IoContext::Skip>},
    {"NLINEMODE", &ZEL::ContextMember<&IoContext::NLineMode>},
    {"NLINESMODE", &ZEL::ContextMember<&IoContext::NLineMode>},
    {"LISTSEP", &ZEL::ContextMember<&IoContext::ListSep>},
    {"ERROR", &ZEL::ContextMember<&IoContext::Error>},
    {"SYSERR", &ZEL::ContextMember<&IoContext::SysErr>},
    {nullptr, nullptr},
};

const MemberEntry ZEL::kMethods[] = {
    {"RESET", &MemberAt<&ZEL::reset_>},
    {"LISTSEP", &MemberAt<&ZEL::listSepMethod_>},
    {"OPEN", &MemberAt<&ZEL::open_>},
    {"CLOSE", &MemberAt<&ZEL::close_>},
    {"CLOSEALL", &MemberAt<&ZEL::closeAll_>},
    {"CLOSEALLFILES", &MemberAt<&ZEL::closeAll_>},
    {"EXISTS", &MemberAt<&ZEL::exists_>},
    {"EXIST", &MemberAt<&ZEL::exists_>},
    {"REMOVE", &MemberAt<&ZEL::remove_>},
    {"DELETE", &MemberAt<&ZEL::remove_>},
    {"SIZE", &MemberAt<&ZEL::size_>},
    {"GETPOS", &MemberAt<&ZEL::getPos_>},
    {"SETPOS", &MemberAt<&ZEL::setPos_>},
    {"REWIND", &MemberAt<&ZEL::rewind_>},
    {"TOSTART", &MemberAt<&ZEL::rewind_>},
    {"TOBEGIN", &MemberAt<&ZEL::rewind_>},
    {"TOBEGINNING", &MemberAt<&ZEL::rewind_>},
    {"TOEND", &MemberAt<&ZEL::toEnd_>},
    {"FFORWARD", &MemberAt<&ZEL::toEnd_>},
    {"FASTFORWARD", &MemberAt<&ZEL::toEnd_>},
    {"JUMP", &MemberAt<&ZEL::jump_>},
    {"JUMPCHUNK", &MemberAt<&ZEL::jumpChunk_>},
    {"JUMPCHUNKS", &MemberAt<&ZEL::jumpChunk_>},
    {"SWITCHMODE", &MemberAt<&ZEL::switchMode_>},
    {"READ", &MemberAt<&ZEL::read_>},
    {"INTEGERREAD", &MemberAt<&ZEL::read_>},
    {"INTREAD", &MemberAt<&ZEL::read_>},
    {"WRITE", &MemberAt<&ZEL::write_>},
    {"INTEGERWRITE", &MemberAt<&ZEL::write_>},
    {"INTWRITE", &MemberAt<&ZEL::write_>},
    {"FREAD", &MemberAt<&ZEL::fread_>},
    {"FLOATREAD", &MemberAt<&ZEL::fread_>},
    {"FWRITE", &MemberAt<&ZEL::fwrite_>},
    {"FLOATWRITE", &MemberAt<&ZEL::fwrite_>},
    {"DREAD", &MemberAt<&ZEL::dread_>},
    {"DOUBLEREAD", &MemberAt<&ZEL::dread_>},
    {"DWRITE", &MemberAt<&ZEL::dwrite_>},
    {"DOUBLEWRITE", &MemberAt<&ZEL::dwrite_>},
    {"LDREAD", &MemberAt<&ZEL::ldread_>},
    {"LONGDOUBLEREAD", &MemberAt<&ZEL::ldread_>},
    {"LDOUBLEREAD", &MemberAt<&ZEL::ldread_>},
    {"LDWRITE", &MemberAt<&ZEL::ldwrite_>},
    {"LONGDOUBLEWRITE", &MemberAt<&ZEL::ldwrite_>},
    {"LDOUBLEWRITE", &MemberAt<&ZEL::ldwrite_>},
    {"AREAD", &MemberAt<&ZEL::aread_>},
    {"ARRAYREAD", &MemberAt<&ZEL::aread_>},
    {"AWRITE", &MemberAt<&ZEL::awrite_>},
    {"ARRAYWRITE", &MemberAt<&ZEL::awrite_>},
    {"READROWBIN", &MemberAt<&ZEL::readRowBin_>},
    {"READRECORD", &MemberAt<&ZEL::readRecord_>},
    {"RRECORD", &MemberAt<&ZEL::readRecord_>},
    {"RECORDREAD", &MemberAt<&ZEL::readRecord_>},
    {"RREAD", &MemberAt<&ZEL::readRecord_>},
    {"WRITERECORD", &MemberAt<&ZEL::writeRecord_>},
    {"WRECORD", &MemberAt<&ZEL::writeRecord_>},
    {"RECORDWRITE", &MemberAt<&ZEL::writeRecord_>},
    {"RWRITE", &MemberAt<&ZEL::writeRecord_>},
    {"READROW", &MemberAt<&ZEL::readRow_>},
    {"LINEROW", &MemberAt<&ZEL::lineRow_>},
    {"TREAD", &MemberAt<&ZEL::tread_>},
    {"LREAD", &MemberAt<&ZEL::lread_>},
    {"READTOKEN", &MemberAt<&ZEL::readToken_>},
    {"READARRAY", &MemberAt<&ZEL::readArray_>},
    {"ASCII", &MemberAt<&ZEL::ascii_>},
    {"READASCII", &MemberAt<&ZEL::ascii_>},
    {"CREAD", &MemberAt<&ZEL::cread_>},
    {"TWRITE", &MemberAt<&ZEL::twrite_>},
    {"LWRITE", &MemberAt<&ZEL::lwrite_>},
    {"MATHEMATICA", &MemberAt<&ZEL::mathematica_>},
    {"SIGMADOS", &MemberAt<&ZEL::sigmaDos_>},
    {"SIGMAWIN", &MemberAt<&ZEL::sigmaWin_>},
    {"WAV", &MemberAt<&ZEL::wav_>},
    {"WKSBLOCK", &MemberAt<&ZEL::wksBlock_>},
    {"SYNTAX", &MemberAt<&ZEL::syntax_>},
    {"ALTERNATESPELLINGS", &MemberAt<&ZEL::altSpell_>},
    {"ALTERNATESPELLING", &MemberAt<&ZEL::altSpell_>},
    {"ALTSPELLINGS", &MemberAt<&ZEL::altSpell_>},
    {"ALTSPELLING", &MemberAt<&ZEL::altSpell_>},
    {"ALTSPELL", &MemberAt<&ZEL::altSpell_>},
    {"LISTALL", &MemberAt<&ZEL::listAll_>},
    {"LISTALLFILES", &MemberAt<&ZEL::listAll_>},
    {nullptr, nullptr},
};

const MemberEntry ZEL::kBaseProperties[] = {
    {"ERROR", &MemberAt<&ZEL::baseError_>},
    {"WARNMSG", &MemberAt<&ZEL::warnMsg_>},
    {"MSG", &MemberAt<&ZEL::msg_>},
    {nullptr, nullptr},
};

namespace {
template <auto Field>
MoMethod& Numbered(ZEL& zel) {
    return zel.*Field;
}
}  // namespace

MoMethod& (*const ZEL::kNumberedMethods[])(ZEL&) = {
    &Numbered<&ZEL::open_>,        &Numbered<&ZEL::close_>,      &Numbered<&ZEL::closeAll_>,
    &Numbered<&ZEL::exists_>,      &Numbered<&ZEL::remove_>,     &Numbered<&ZEL::size_>,
    &Numbered<&ZEL::getPos_>,      &Numbered<&ZEL::setPos_>,     &Numbered<&ZEL::rewind_>,
    &Numbered<&ZEL::toEnd_>,       &Numbered<&ZEL::jump_>,       &Numbered<&ZEL::jumpChunk_>,
    &Numbered<&ZEL::switchMode_>,  &Numbered<&ZEL::read_>,       &Numbered<&ZEL::write_>,
    &Numbered<&ZEL::fread_>,       &Numbered<&ZEL::fwrite_>,     &Numbered<&ZEL::dread_>,
    &Numbered<&ZEL::dwrite_>,      &Numbered<&ZEL::ldread_>,     &Numbered<&ZEL::ldwrite_>,
    &Numbered<&ZEL::aread_>,       &Numbered<&ZEL::awrite_>,     &Numbered<&ZEL::readRowBin_>,
    &Numbered<&ZEL::readRecord_>,  &Numbered<&ZEL::writeRecord_>, &Numbered<&ZEL::cread_>,
    &Numbered<&ZEL::lineRow_>,     &Numbered<&ZEL::listSepMethod_>, &Numbered<&ZEL::lread_>,
    &Numbered<&ZEL::lwrite_>,      &Numbered<&ZEL::readArray_>,  &Numbered<&ZEL::readRow_>,
    &Numbered<&ZEL::readToken_>,   &Numbered<&ZEL::tread_>,      &Numbered<&ZEL::twrite_>,
    &Numbered<&ZEL::ascii_>,       &Numbered<&ZEL::syntax_>,     &Numbered<&ZEL::altSpell_>,
    &Numbered<&ZEL::listAll_>,     &Numbered<&ZEL::sigmaWin_>,   &Numbered<&ZEL::sigmaDos_>,
    &Numbered<&ZEL::wav_>,         &Numbered<&ZEL::wksBlock_>,   &Numbered<&ZEL::mathematica_>,
};
MoMethod* ZEL::MethodByNumber(int32_t n) {
    static_assert(std::size(kNumberedMethods) == static_cast<size_t>(ZelMethod::kCount),
                  "every numbered method has its row");
    if (n < 0 || n >= static_cast<int32_t>(ZelMethod::kCount)) return nullptr;
    return &kNumberedMethods[n](*this);
}

ZEL::ZEL() { ResetAll(); }

void ZEL::ResetAll() {
    baseError_.Store(0);
    ResetMembers(OwnProperties());
    ResetMembers(OwnMethods());
    io_.HFile().SetToNone();
    io_.NBytes().Store(1);
    io_.ListSep().Store(',');
}

int32_t ZEL::RefuseCall() {
    if (ImportInProgress() == 0) return 0;
    return io_.Fail(Err::ImportBusy);
}

void ZEL::OnMethodFault(bool outOfMemory) {
    if (outOfMemory) io_.Fail(Err::OutOfMemory);
}

}  // namespace zel
