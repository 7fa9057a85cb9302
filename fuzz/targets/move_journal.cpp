// A batch's journal of moves across volumes: UTF-16 text that names files to delete, read from a
// destination folder anyone may have written to (its seal is checked after parsing).
#include <cstdint>
#include <string>

#include "routing/MoveJournal.h"
#include "support/FuzzCheck.h"

namespace {

bool Literal(const std::wstring& path) { return path.rfind(L"\\\\?\\", 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    const std::wstring text = fuzz::Utf16Units({data, size});
    const JournalFile file = ParseJournalFile(text);
    for (const MoveJournal& move : file.moves) {
        // What the parser promises before anything acts on a record.
        KW_FUZZ_CHECK(Literal(move.source));
        KW_FUZZ_CHECK(!move.target.empty() && move.target != L"." && move.target != L".." &&
                      move.target.find_first_of(L"\\/:") == std::wstring::npos);
        KW_FUZZ_CHECK(move.aside.empty() || IsStagingName(move.aside));
        KW_FUZZ_CHECK(move.copy.empty() || Literal(move.copy));
        // A record written again reads back as itself, once.
        const std::wstring again = FormatMoveJournal(move);
        const JournalFile reread = ParseJournalFile(again);
        KW_FUZZ_CHECK(reread.moves.size() == 1 && FormatMoveJournal(reread.moves[0]) == again);
    }
    for (const JournalArea& area : file.areas) {
        KW_FUZZ_CHECK(Literal(area.folder));
        const JournalFile reread = ParseJournalFile(AreaLine(area));
        KW_FUZZ_CHECK(reread.areas.size() == 1 && reread.areas[0].folder == area.folder && reread.areas[0].seal == area.seal);
    }
    // Names found in a folder listing.
    const std::wstring name = text.substr(0, 64);
    if (IsJournalName(name)) KW_FUZZ_CHECK(IsStagingName(StagingNameOfJournal(name)));
    return 0;
}
