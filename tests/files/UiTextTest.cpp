#include "app/files/UiText.h"
#include "app/files/Language.h"
#include "files/FilesFixture.h"

namespace {

class UiTextTest : public FilesFixture {
protected:
    std::string Lookup(const std::string& content, const std::string& key,
                       const std::string& section = "KB.DIALOG") {
        return UiText::FromBytes(content.data(), content.size(), section, key);
    }
};

TEST_F(UiTextTest, ReadsLikeAnInitialisationFile) {
    const std::string file = "; comment\r\n"
                             "[Other]\r\n65=wrong section\r\n"
                             "  [ kb.dialog ]  \r\n"
                             "  65 =  Profile  \r\n"
                             "151=\"  quoted  \"\r\n"
                             "152='single'\r\n"
                             "153=\"unbalanced\r\n"
                             "154=a=b\r\n"
                             "155\r\n"
                             "65=second wins nothing\r\n"
                             "[KB.DIALOG]\r\n156=only the first section counts\n";
    EXPECT_EQ(Lookup(file, "65"), "Profile");
    EXPECT_EQ(Lookup(file, "151"), "  quoted  ");
    EXPECT_EQ(Lookup(file, "152"), "single");
    EXPECT_EQ(Lookup(file, "153"), "\"unbalanced");
    EXPECT_EQ(Lookup(file, "154"), "a=b");
    EXPECT_EQ(Lookup(file, "155"), "");
    EXPECT_EQ(Lookup(file, "156"), "");
    EXPECT_EQ(Lookup(file, "999"), "") << "a missing key gives empty text, not the key";
    EXPECT_EQ(Lookup(file, "65", "Other"), "wrong section");
    EXPECT_EQ(Lookup(file, "65", "Missing"), "");
    EXPECT_EQ(Lookup("", "65"), "");
}

TEST_F(UiTextTest, CutsLongTextsAt259Characters) {
    std::string chinese;
    for (int i = 0; i < 300; ++i)
        chinese += "\xE4\xB8\xAD";
    std::string text = Lookup("[KB.DIALOG]\n1=" + chinese + "\n2=" + std::string(259, 'x'), "1");
    EXPECT_EQ(text, chinese.substr(0, 259 * 3));
    EXPECT_EQ(Lookup("[KB.DIALOG]\n2=" + std::string(259, 'x'), "2").size(), 259u);
}

TEST_F(UiTextTest, ReadsUtf16AndAnsiFiles) {
    std::u16string wide = u"[KB.DIALOG]\r\n65=\u914D\u7F6E\u65B9\u6848\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : wide) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    EXPECT_EQ(Lookup(bytes, "65"), "\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\xB9\xE6\xA1\x88");
    EXPECT_EQ(Lookup("[KB.DIALOG]\n1=Men\xFC\n", "1"), "Men\xC3\xBC");
}

TEST_F(UiTextTest, FollowsTheCurrentLanguageAndRereadsTheFile) {
    Language::SetCurrent(1033);
    EXPECT_EQ(UiText::Dialog(65), "Profile");
    Language::SetCurrent(2052);
    EXPECT_EQ(UiText::Dialog(65), "\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\xB9\xE6\xA1\x88");
    Language::SetCurrent(1031);
    EXPECT_EQ(UiText::Dialog(65), "") << "no file for that language";
    Language::SetCurrent(1033);
    WriteFile("program/language/1033.lan", "[KB.DIALOG]\n65=Changed\n");
    EXPECT_EQ(UiText::Get("KB.DIALOG", 65), "Changed");
}

} // namespace
