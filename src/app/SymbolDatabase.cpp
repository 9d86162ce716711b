#include "SymbolDatabase.h"

#include <charconv>
#include <fstream>

namespace corvane {

namespace {

namespace fs = std::filesystem;

std::string ValueOf(const std::string& line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

int CountOf(const std::string& line) {
    const std::string value = ValueOf(line);
    int count = 0;
    std::from_chars(value.data(), value.data() + value.size(), count);
    return count < 0 ? 0 : count;
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

ListEntry EntryOf(const std::string& line) {
    const std::size_t first = line.find(',');
    if (first == std::string::npos) return {line, line};
    const std::size_t second = line.find(',', first + 1);
    return {line.substr(0, first),
            line.substr(first + 1,
                        second == std::string::npos ? std::string::npos : second - first - 1)};
}

}  // namespace

std::optional<SymbolDatabase> SymbolDatabase::Load(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    SymbolDatabase database;
    for (std::string line; std::getline(in, line);) database.lines_.push_back(WithoutLineEnd(line));
    return database;
}

std::size_t SymbolDatabase::Find(const std::string& marker, std::size_t from) const {
    for (std::size_t i = from; i < lines_.size(); ++i)
        if (lines_[i].find(marker) != std::string::npos) return i;
    return lines_.size();
}

std::vector<std::string> SymbolDatabase::Names(const std::string& marker, std::size_t from) const {
    std::vector<std::string> names;
    const std::size_t at = Find(marker, from);
    if (at == lines_.size()) return names;
    const int count = CountOf(lines_[at]);
    for (std::size_t i = at + 1;
         i < lines_.size() && names.size() < static_cast<std::size_t>(count); ++i)
        names.push_back(ValueOf(lines_[i]));
    return names;
}

std::vector<std::string> SymbolDatabase::GroupNames(const std::string& header) const {
    const std::size_t at = Find(header);
    if (at + 1 >= lines_.size()) return {};
    return Names("Number", at + 1);
}

std::vector<std::string> SymbolDatabase::Industries(int sector) const {
    if (sector < 1 || sector > kSectorCount) return {};
    return GroupNames("[Sector" + std::to_string(sector) + "]");
}

std::vector<ListEntry> SymbolDatabase::Section(const std::string& header) const {
    std::vector<ListEntry> entries;
    for (std::size_t i = Find(header) + 1; i < lines_.size() && !lines_[i].empty(); ++i)
        entries.push_back(EntryOf(lines_[i]));
    return entries;
}

std::vector<ListEntry> SymbolDatabase::SectorEntries(int sector) const {
    std::vector<ListEntry> entries;
    if (sector < 1 || sector > kSectorCount) return entries;
    for (int industry = kSectorFirstIndustry[sector - 1]; industry < kSectorFirstIndustry[sector];
         ++industry) {
        const std::vector<ListEntry> part = Section("[Industry" + std::to_string(industry) + "]");
        entries.insert(entries.end(), part.begin(), part.end());
    }
    return entries;
}

std::vector<ListEntry> ReadCustomList(const fs::path& path) {
    std::vector<ListEntry> entries;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        line = WithoutLineEnd(line);
        if (!line.empty()) entries.push_back(EntryOf(line));
    }
    return entries;
}

std::vector<fs::path> FindCustomLists(const std::vector<fs::path>& folders) {
    std::vector<fs::path> lists;
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (name.size() >= 3 && name.compare(name.size() - 3, 3, "sym") == 0 &&
                it->is_regular_file(typeError))
                lists.push_back(it->path());
        }
    }
    return lists;
}

bool UpdateSymbolDatabase(HttpClient& http, const std::string& makerUrl, const fs::path& target,
                          Progress& progress, Prompt& prompt) {
    const HttpResult answer = http.Get(makerUrl + "/forum/symboldatabaseex2.txt");
    if (!answer.ok) {
        (void)prompt.Show(answer.error, kNetworkErrorCaption, PromptIcon::Error, PromptButtons::Ok);
        return false;
    }
    const std::vector<std::string>& lines = answer.lines;
    // The second line counts the lines after it: fewer means a cut answer.
    if (lines.size() < 2 || lines[1].find('=') == std::string::npos ||
        lines.size() - 2 < static_cast<std::size_t>(CountOf(lines[1]))) {
        (void)prompt.Show(
            "The symbol database from the server is not complete; the current one is kept.",
            kNetworkErrorCaption, PromptIcon::Error, PromptButtons::Ok);
        return true;
    }
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    const fs::path partial = target.string() + ".part";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    auto writeFailed = [&] {
        out.close();
        fs::remove(partial, error);
        (void)prompt.Show("The symbol database " + target.string() + " cannot be written.",
                          kNetworkErrorCaption, PromptIcon::Error, PromptButtons::Ok);
        return true;
    };
    if (!out) return writeFailed();
    out << lines[0] << "\r\n" << lines[1] << "\r\n";
    progress.SetRange(CountOf(lines[1]));
    for (std::size_t i = 2; i < lines.size(); ++i) {
        out << lines[i] << "\r\n";
        progress.SetPosition(static_cast<int>(i - 1));
        if (progress.IsCancelled()) {
            out.close();
            fs::remove(partial, error);
            (void)prompt.Show("Update is cancelled", kAppCaption, PromptIcon::None,
                              PromptButtons::Ok);
            return true;
        }
    }
    out.close();
    if (!out) return writeFailed();
    fs::rename(partial, target, error);
    if (error) return writeFailed();
    return true;
}

}  // namespace corvane
