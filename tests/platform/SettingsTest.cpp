#include "platform/Settings.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using platform::Settings;

namespace {

// Points XDG_CONFIG_HOME at a fresh folder for one test.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const char* previous = std::getenv("XDG_CONFIG_HOME");
        previous_ = previous ? previous : "";
        setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override { setenv("XDG_CONFIG_HOME", previous_.c_str(), 1); }

    std::filesystem::path home() const { return dir_.path().toStdString(); }

    static std::string fileText(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    QTemporaryDir dir_;
    std::string previous_;
};

TEST_F(SettingsTest, RootsMapToOneFileEach) {
    EXPECT_EQ(Settings::configHome(), home());
    EXPECT_EQ(Settings::fileFor("Software\\Brantmoor\\Quarvel Inthos"),
              home() / "Software" / "Brantmoor" / "Quarvel Inthos.ini");
    EXPECT_EQ(Settings::fileFor("Quarvelinthos\\ReportSettings\\"),
              home() / "Quarvelinthos" / "ReportSettings.ini");
    EXPECT_EQ(Settings::fileFor("report.ini"), home() / "report.ini");
    EXPECT_EQ(Settings::fileFor("/tmp/x/own.INI"), std::filesystem::path("/tmp/x/own.INI"));
    EXPECT_EQ(Settings::fileFor("..\\..\\etc\\passwd"), home() / "_" / "_" / "etc" / "passwd.ini");
    EXPECT_THROW(Settings::fileFor("\\"), platform::ESettingsError);
}

TEST_F(SettingsTest, ValuesArePersistedAtOnceAndReadBack) {
    {
        Settings settings("Software\\Brantmoor\\Quarvel Inthos");
        settings.writeInteger("Form\\TRMPreviewForm", "XPosition", -12);
        settings.writeBool("Form\\TRMPreviewForm", "Maximized", false);
        settings.writeString("ToolBar\\预览工具栏", "DockName", " 左 = 上 ");
        settings.writeBinary("Form\\TRMPreviewForm", "Mode", {0x00, 0xAB, 0x10});
        EXPECT_TRUE(std::filesystem::exists(settings.filePath()));
    }
    // A second object (as another window would open it) sees everything.
    Settings again("Software\\Brantmoor\\Quarvel Inthos");
    EXPECT_EQ(again.readInteger("form\\trmpreviewform", "xposition", 5), -12);
    EXPECT_FALSE(again.readBool("Form\\TRMPreviewForm", "Maximized", true));
    EXPECT_TRUE(again.readBool("Form\\TRMPreviewForm", "Missing", true));
    EXPECT_EQ(again.readString("ToolBar\\预览工具栏", "DockName"), " 左 = 上 ");
    EXPECT_EQ(again.readBinary("Form\\TRMPreviewForm", "Mode"),
              (platform::ByteArray{0x00, 0xAB, 0x10}));
    EXPECT_EQ(again.sections(),
              (std::vector<std::string>{"Form\\TRMPreviewForm", "ToolBar\\预览工具栏"}));
    EXPECT_EQ(again.keys("Form\\TRMPreviewForm"),
              (std::vector<std::string>{"XPosition", "Maximized", "Mode"}));

    // Overwriting keeps the first spelling and position of a key.
    again.writeInteger("FORM\\TRMPREVIEWFORM", "XPOSITION", 40);
    EXPECT_EQ(again.keys("Form\\TRMPreviewForm").front(), "XPosition");
    EXPECT_EQ(again.readInteger("Form\\TRMPreviewForm", "XPosition"), 40);

    // The file stays readable text with the names as written.
    std::string text = fileText(again.filePath());
    EXPECT_NE(text.find("[Form\\TRMPreviewForm]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("XPosition=40\n"), std::string::npos) << text;
}

TEST_F(SettingsTest, AwkwardNamesAndValuesRoundTrip) {
    Settings settings("Quarvelinthos\\ReportSettings");
    const std::string section = "[报表] 1\\2";
    const std::string key = "Page_0=Left;#x";
    const std::string value = "first line\nsecond%20line\r\n\t";
    settings.writeString(section, key, value);
    settings.writeString(section, "", "empty key");
    EXPECT_EQ(settings.readString(section, key), value);
    EXPECT_EQ(settings.readString(section, ""), "empty key");
    EXPECT_EQ(Settings("Quarvelinthos\\ReportSettings").keys(section),
              (std::vector<std::string>{key, ""}));
}

TEST_F(SettingsTest, EraseDeleteAndUnreadableValues) {
    Settings settings("Quarvelinthos\\ReportSettings");
    settings.writeInteger("报表一", "PageCount", 2);
    settings.writeInteger("报表一", "Count", 2);
    settings.writeBool("报表二", "NewFlag", true);
    settings.writeString("报表二", "PrintOffsetTop", "abc");
    settings.writeString("报表二", "Blob", "0G");

    EXPECT_EQ(settings.readInteger("报表二", "PrintOffsetTop", 7), 7);
    EXPECT_EQ(settings.readBinary("报表二", "Blob", {1}), platform::ByteArray{1});
    EXPECT_EQ(settings.readInteger("报表二", "NewFlag"), 1);

    settings.deleteKey("报表一", "count");
    EXPECT_FALSE(settings.valueExists("报表一", "Count"));
    EXPECT_TRUE(settings.valueExists("报表一", "PageCount"));
    settings.eraseSection("报表一");
    settings.eraseSection("不存在");
    EXPECT_FALSE(settings.sectionExists("报表一"));
    EXPECT_TRUE(settings.sectionExists("报表二"));
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"报表二"});
    EXPECT_EQ(settings.readInteger("报表一", "PageCount", -1), -1);
}

TEST_F(SettingsTest, HandWrittenFilesAreRead) {
    std::filesystem::path path = home() / "legacy.ini";
    std::ofstream(path)
        << "; comment\r\nstray=1\r\n[Main]\r\n  Width = 640 \r\nBad line\r\n"
           "Percent=100%\r\nFlag=True\r\n[Broken\r\nLost=1\r\n[main]\r\nHeight=$1E0\r\n";
    Settings settings("legacy.ini");
    EXPECT_EQ(settings.readInteger("MAIN", "width"), 640);
    EXPECT_EQ(settings.readString("Main", "Percent"), "100%");
    EXPECT_TRUE(settings.readBool("Main", "Flag"));
    EXPECT_EQ(settings.readInteger("Main", "Height"), 480);
    EXPECT_FALSE(settings.valueExists("Main", "stray"));
    EXPECT_FALSE(settings.valueExists("Main", "Lost"));
    EXPECT_EQ(settings.sections(), std::vector<std::string>{"Main"});
}

TEST_F(SettingsTest, UnwritableFileRaises) {
    std::filesystem::create_directories(home() / "Blocked.ini"); // a folder where the file goes
    Settings settings("Blocked");
    EXPECT_EQ(settings.readString("a", "b", "default"), "default");
    EXPECT_THROW(settings.writeString("a", "b", "c"), platform::ESettingsError);
}

} // namespace
