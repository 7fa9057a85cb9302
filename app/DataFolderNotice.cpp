#include "app/DataFolderNotice.h"

#include "model/TextEncoding.h"

namespace kw {

namespace {
constexpr char kEmDash[] = "\xE2\x80\x94";
}

std::vector<std::string> DataFolderNotices(const DataFolderChoice& data, const std::filesystem::path& logFolder,
                                           const JournalKeyFile& key, size_t journalsLeft) {
    std::vector<std::string> lines;
    const std::string folder = PathToUtf8(data.folder);
    const bool logWithData = !logFolder.empty() && logFolder == data.folder;
    if (!data.writable) {
        lines.push_back(std::string("Neither the program's folder nor the local application data folder can be written to ") +
                        kEmDash + " batches are not recorded, and cannot be undone once the program closes.");
        return lines;  // the key could not be had either: saying so again adds nothing
    }
    if (!data.besideProgram)
        lines.push_back(std::string("The program's folder cannot be written to ") + kEmDash + " " +
                        (logWithData ? "the batch history, move journals and activity log are" : "the batch history and move journals are") +
                        " kept in " + folder + ".");
    if (!logFolder.empty() && !logWithData)
        lines.push_back(std::string("The activity log beside the program cannot be written to ") + kEmDash + " it is kept in " +
                        PathToUtf8(logFolder) + ".");
    const std::string aside = PathToUtf8(key.setAside.filename());
    std::string line;
    if (key.state == KeyFileState::replaced && key.key) {
        line.append("The key file journal.key was damaged: it was kept as ").append(aside).append(" and a new one made.");
        if (journalsLeft > 0)
            line.append(" ")
                .append(std::to_string(journalsLeft))
                .append(" journal(s) of moves cut short before, made with the old key, are left untouched in ")
                .append(folder)
                .append(".");
    } else if (key.state == KeyFileState::replaced) {
        line.append("The key file journal.key was damaged and was kept as ")
            .append(aside)
            .append("; no new one could be made ")
            .append(kEmDash)
            .append(" moves to another drive are not journalled.");
    } else if (!key.key) {
        line.append("The key file journal.key in ")
            .append(folder)
            .append(" cannot be read or made ")
            .append(kEmDash)
            .append(" moves to another drive are not journalled.");
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

}  // namespace kw
