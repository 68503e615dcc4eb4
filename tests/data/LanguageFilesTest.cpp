// Checks the shipped language files against the list of text numbers the program looks up.
// The files are read the way an initialisation-file reader reads them (sections, key=value,
// ';' comments, surrounding blanks dropped), but strictly, so that anything such a reader would
// silently skip or misread is reported here instead of showing up as an empty label.

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kSection = "KB.DIALOG";
// Texts are read into a buffer of 260 characters, so 259 is the longest text that survives.
const std::size_t kMaxTextChars = 259;

struct LanFile {
    std::string path;
    bool hasBom = false;
    std::vector<std::string> problems;
    std::vector<std::string> sections;
    std::map<int, std::string> texts; // section KB.DIALOG only
};

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    const auto first = s.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    const auto last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

// Number of code points, or npos when the bytes are not valid UTF-8.
std::size_t Utf8Length(const std::string& s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            extra = 3;
        } else {
            return std::string::npos;
        }
        if (i + extra >= s.size()) {
            return std::string::npos; // sequence cut off at the end
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return std::string::npos;
            }
        }
        i += extra + 1;
        ++count;
    }
    return count;
}

bool IsCanonicalNumber(const std::string& key) {
    static const std::regex number("0|[1-9][0-9]{0,8}");
    return std::regex_match(key, number);
}

LanFile ReadLanFile(const fs::path& path) {
    LanFile file;
    file.path = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.problems.push_back("cannot be opened");
        return file;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string content = buffer.str();
    if (content.rfind("\xEF\xBB\xBF", 0) == 0) {
        file.hasBom = true;
        content.erase(0, 3);
    }
    std::istringstream lines(content);
    std::string line;
    std::string section;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        ++lineNo;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (Utf8Length(line) == std::string::npos) {
            file.problems.push_back(where + "not valid UTF-8");
            continue;
        }
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';') {
            continue;
        }
        if (text.front() == '[') {
            if (text.back() != ']') {
                file.problems.push_back(where + "unterminated section header");
                continue;
            }
            section = Trim(text.substr(1, text.size() - 2));
            file.sections.push_back(section);
            continue;
        }
        const auto eq = text.find('=');
        if (eq == std::string::npos) {
            file.problems.push_back(where + "neither a section, a comment nor key=value");
            continue;
        }
        if (section.empty()) {
            file.problems.push_back(where + "text outside any section");
            continue;
        }
        const std::string key = Trim(text.substr(0, eq));
        const std::string value = Trim(text.substr(eq + 1));
        if (!IsCanonicalNumber(key)) {
            // A lookup formats its number with "%d"; "065" or "6 5" would never be found.
            file.problems.push_back(where + "key '" + key + "' is not a plain decimal number");
            continue;
        }
        if (section != kSection) {
            continue;
        }
        const int id = std::stoi(key);
        if (!file.texts.emplace(id, value).second) {
            // The reader returns the first one; a second translation would be dead text.
            file.problems.push_back(where + "key " + key + " appears twice");
        }
    }
    return file;
}

fs::path SourceRoot() {
    if (const char* env = std::getenv("PIVANE_SOURCE_DIR"); env && *env) {
        return env;
    }
#ifdef PIVANE_SOURCE_TREE
    return PIVANE_SOURCE_TREE;
#else
    return {};
#endif
}

// The source tree's data folder when it is there, else the program folder the data was copied to.
fs::path DataFolder() {
    const fs::path source = SourceRoot();
    if (!source.empty() && fs::is_directory(source / "data" / "language")) {
        return source / "data";
    }
    if (const char* home = std::getenv("PIVANE_HOME"); home && *home) {
        return home;
    }
    return {};
}

struct TextId {
    int id = 0;
    std::string note;
};

std::vector<TextId> ReadTextIdList(std::vector<std::string>& problems) {
    std::vector<TextId> ids;
    const fs::path path = SourceRoot() / "tests" / "data" / "text_ids.txt";
    std::ifstream in(path);
    if (!in) {
        problems.push_back(path.string() + " cannot be opened");
        return ids;
    }
    std::set<int> seen;
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        const auto tab = text.find('\t');
        const std::string number = text.substr(0, tab);
        if (!IsCanonicalNumber(number)) {
            problems.push_back("bad text number line: " + text);
            continue;
        }
        TextId entry{std::stoi(number), tab == std::string::npos ? "" : Trim(text.substr(tab + 1))};
        if (!seen.insert(entry.id).second) {
            problems.push_back("text number listed twice: " + number);
        }
        ids.push_back(entry);
    }
    return ids;
}

// The printf conversions of a text, in order ("%%" excluded).
std::vector<std::string> Placeholders(const std::string& text) {
    static const std::regex conversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?(l|ll|h|z)?[diouxXcsSfeEgGp%]");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion);
         it != std::sregex_iterator(); ++it) {
        if (it->str() != "%%") {
            found.push_back(it->str());
        }
    }
    return found;
}

bool HasCjk(const std::string& text) {
    // Every CJK ideograph and full-width punctuation mark is a three-byte sequence from E3 to E9.
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0xE3 && b <= 0xE9;
    });
}

class LanguageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        data_ = DataFolder();
        ASSERT_FALSE(data_.empty()) << "set PIVANE_SOURCE_DIR or PIVANE_HOME";
        english_ = ReadLanFile(data_ / "language" / "1033.lan");
        chinese_ = ReadLanFile(data_ / "language" / "2052.lan");
        ids_ = ReadTextIdList(listProblems_);
    }

    const std::vector<const LanFile*> Both() const { return {&english_, &chinese_}; }

    fs::path data_;
    LanFile english_;
    LanFile chinese_;
    std::vector<TextId> ids_;
    std::vector<std::string> listProblems_;
};

TEST_F(LanguageFilesTest, FilesAreCleanUtf8WithOneDialogSection) {
    for (const LanFile* file : Both()) {
        SCOPED_TRACE(file->path);
        // Without a byte order mark both a plain and a mark-aware reader see "[KB.DIALOG]".
        EXPECT_FALSE(file->hasBom);
        for (const auto& problem : file->problems) {
            ADD_FAILURE() << problem;
        }
        EXPECT_EQ(file->sections, std::vector<std::string>{kSection});
        EXPECT_FALSE(file->texts.empty());
    }
}

TEST_F(LanguageFilesTest, TextIdListIsUsable) {
    for (const auto& problem : listProblems_) {
        ADD_FAILURE() << problem;
    }
    EXPECT_GT(ids_.size(), 100u);
    for (const auto& entry : ids_) {
        EXPECT_FALSE(entry.note.empty())
            << "text " << entry.id << " has no note of where it is used";
    }
}

TEST_F(LanguageFilesTest, EveryUsedTextExistsInBothLanguages) {
    for (const LanFile* file : Both()) {
        SCOPED_TRACE(file->path);
        for (const auto& entry : ids_) {
            const auto it = file->texts.find(entry.id);
            if (it == file->texts.end()) {
                ADD_FAILURE() << "text " << entry.id << " (" << entry.note << ") is missing";
                continue;
            }
            const std::string& text = it->second;
            EXPECT_FALSE(text.empty()) << "text " << entry.id << " is empty";
            EXPECT_LE(Utf8Length(text), kMaxTextChars) << "text " << entry.id << " would be cut";
            // An initialisation-file reader strips one pair of enclosing quotes.
            const bool quoted = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                                text.back() == text.front();
            EXPECT_FALSE(quoted) << "text " << entry.id << " would lose its quotes";
        }
    }
}

TEST_F(LanguageFilesTest, FilesHoldNoTextOutsideTheList) {
    std::set<int> listed;
    for (const auto& entry : ids_) {
        listed.insert(entry.id);
    }
    for (const LanFile* file : Both()) {
        SCOPED_TRACE(file->path);
        for (const auto& [id, text] : file->texts) {
            EXPECT_TRUE(listed.count(id)) << "text " << id << " is not in text_ids.txt: " << text;
        }
    }
}

TEST_F(LanguageFilesTest, PlaceholdersMatchBetweenLanguages) {
    for (const auto& [id, englishText] : english_.texts) {
        const auto it = chinese_.texts.find(id);
        if (it == chinese_.texts.end()) {
            continue; // reported by the completeness test
        }
        EXPECT_EQ(Placeholders(englishText), Placeholders(it->second)) << "text " << id;
    }
}

TEST_F(LanguageFilesTest, ChineseFileIsTranslated) {
    std::size_t translated = 0;
    for (const auto& [id, text] : chinese_.texts) {
        translated += HasCjk(text) ? 1 : 0;
    }
    // A few texts are the same in both languages (for example "DPI" words); the rest must not be
    // English.
    EXPECT_GE(translated * 10, chinese_.texts.size() * 9)
        << translated << " of " << chinese_.texts.size();
    for (const auto& [id, text] : english_.texts) {
        EXPECT_FALSE(HasCjk(text)) << "English text " << id << " holds Chinese: " << text;
    }
}

// Default names are stored in the language of the day they were created; the display rule
// recognises the other language's word by these exact prefixes, so the words must be exactly these.
TEST_F(LanguageFilesTest, DefaultNameWordsMatchTheDisplayRule) {
    EXPECT_EQ(english_.texts[65], "Profile");
    EXPECT_EQ(chinese_.texts[65], "配置方案");
    EXPECT_EQ(english_.texts[331], "Macro");
    EXPECT_EQ(chinese_.texts[331], "宏");
}

// A chosen list entry's text becomes the stored description, and descriptions are compared with
// text 820 to protect the last left button: entries of one list must never share a text.
TEST_F(LanguageFilesTest, EntriesOfOneChoiceListAreDistinct) {
    const std::vector<std::pair<std::string, std::vector<int>>> lists = {
        {"function types", {207, 205, 206, 208, 209}},
        {"mouse functions", {820, 821, 822, 823, 824, 835}},
        {"media functions",
         {230, 231, 232, 233, 234, 235, 236, 272, 271, 273, 270, 276, 277, 275, 274, 279, 278,
          252}},
        {"shortcuts", {701, 702, 703, 704, 705, 706, 707, 708, 709, 710, 711, 712, 713, 714, 715}},
        {"keyboard mouse functions", {220, 222, 223, 227, 228}},
        {"delay types", {317, 318, 319}},
        {"loop types", {342, 343, 344}},
        {"close choices", {171, 172}},
        {"tabs", {50, 51, 52, 53, 56, 800}},
    };
    for (const LanFile* file : Both()) {
        SCOPED_TRACE(file->path);
        for (const auto& [name, ids] : lists) {
            std::map<std::string, int> seen;
            for (int id : ids) {
                const auto it = file->texts.find(id);
                if (it == file->texts.end()) {
                    continue; // reported by the completeness test
                }
                const auto [other, fresh] = seen.emplace(it->second, id);
                EXPECT_TRUE(fresh) << name << ": texts " << other->second << " and " << id
                                   << " are both '" << it->second << "'";
            }
        }
    }
}

// Every text the program's own code looks up by a literal number must be listed (and so shipped).
TEST_F(LanguageFilesTest, EveryNumberLookedUpInCodeIsListed) {
    std::set<int> listed;
    for (const auto& entry : ids_) {
        listed.insert(entry.id);
    }
    static const std::regex lookup(
        "UiText::(?:Dialog\\(\\s*|Get\\(\\s*[^,()]*,\\s*)([0-9]+)\\s*\\)");
    const fs::path source = SourceRoot();
    for (const char* folder : {"app", "cli", "ui"}) {
        if (!fs::is_directory(source / folder)) {
            continue;
        }
        for (const auto& item : fs::recursive_directory_iterator(source / folder)) {
            const auto ext = item.path().extension();
            if (!item.is_regular_file() || (ext != ".cpp" && ext != ".h")) {
                continue;
            }
            std::ifstream in(item.path());
            std::stringstream code;
            code << in.rdbuf();
            const std::string text = code.str();
            for (auto it = std::sregex_iterator(text.begin(), text.end(), lookup);
                 it != std::sregex_iterator(); ++it) {
                const int id = std::stoi((*it)[1].str());
                EXPECT_TRUE(listed.count(id)) << item.path().string() << " looks up text " << id
                                              << ", which text_ids.txt does not list";
            }
        }
    }
}

TEST_F(LanguageFilesTest, EveryLayoutNameNumberExistsInBothLanguages) {
    const fs::path folder = data_ / "layouts";
    std::vector<fs::path> layouts;
    if (fs::is_directory(folder)) {
        for (const auto& item : fs::directory_iterator(folder)) {
            if (item.path().extension() == ".xml") {
                layouts.push_back(item.path());
            }
        }
    }
    if (layouts.empty()) {
        GTEST_SKIP() << "no layout files in " << folder;
    }
    std::set<int> listed;
    for (const auto& entry : ids_) {
        listed.insert(entry.id);
    }
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.string());
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(layout.c_str())) << "layout does not parse";
        const pugi::xml_node root = doc.child("device.info");
        ASSERT_TRUE(root) << "root is not device.info";
        std::vector<std::pair<std::string, std::string>> numbers; // (where, value)
        for (const auto& info : root.child("light").children("info")) {
            numbers.emplace_back("light mode name", info.attribute("name").value());
        }
        for (const auto& key : root.child("mouse_key").children("key")) {
            const std::string code = key.attribute("key_value").value();
            numbers.emplace_back("name of button " + code, key.attribute("name").value());
            numbers.emplace_back("func_desc of button " + code, key.attribute("func_desc").value());
        }
        EXPECT_FALSE(numbers.empty()) << "layout names no text";
        for (const auto& [where, value] : numbers) {
            if (!IsCanonicalNumber(value)) {
                ADD_FAILURE() << where << " is '" << value << "', not a text number";
                continue;
            }
            const int id = std::stoi(value);
            EXPECT_TRUE(listed.count(id)) << where << ": text " << id << " is not in text_ids.txt";
            for (const LanFile* file : Both()) {
                const auto it = file->texts.find(id);
                EXPECT_TRUE(it != file->texts.end() && !it->second.empty())
                    << where << ": text " << id << " missing from " << file->path;
            }
        }
    }
}

} // namespace
