// Every kind of file the program reads, each missing, empty, cut short, random bytes, far too large, nested
// 100,000 levels deep, holding invalid UTF-8 or a 1 MB value: the program does not crash, the user sees a
// sound outcome (defaults, the values that could be read, or a message naming the file), and no user file
// is destroyed: a file the program could not read is still there, in place or kept beside as ".bad".
// The message-box markup and the profile template have tables of their own (uidialog and profile tests).
#include <windows.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "AppServices.h"
#include "HandlerTestSupport.h"
#include "ShippedDialogFixture.h"
#include "TestPaths.h"
#include "app/AppSettings.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "driver/DeviceInfoSetting.h"
#include "driver/PropertyValue.h"
#include "handlers/effects/EQPresetFile.h"

namespace {

namespace fs = std::filesystem;
using namespace oc::test;

enum class Damage { Missing, Empty, Truncated, Garbage, Huge, Deep, InvalidUtf8, MegabyteValue };
constexpr Damage kDamages[] = {Damage::Missing, Damage::Empty,      Damage::Truncated,   Damage::Garbage,
                               Damage::Huge,    Damage::Deep,       Damage::InvalidUtf8, Damage::MegabyteValue};
constexpr const char* kDamageNames[] = {"missing", "empty",        "truncated",   "garbage",
                                        "huge",    "100,000 deep", "invalid UTF-8", "1 MB value"};

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// The same random-looking bytes on every run.
std::string Garbage() {
    std::string bytes(4096, '\0');
    unsigned state = 12345;
    for (char& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string Deep() {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "<a>";
    return text;
}

// A damaged copy of a markup document: the damage goes into its first attribute value.
std::optional<std::string> DamageDocument(const std::string& good, Damage damage) {
    const size_t value = good.find("=\"") + 2;
    switch (damage) {
    case Damage::Missing:
        return std::nullopt;
    case Damage::Empty:
        return std::string();
    case Damage::Truncated:
        return good.substr(0, good.size() / 2);
    case Damage::Garbage:
        return Garbage();
    case Damage::Huge:
        return good + std::string(17u << 20, ' ');
    case Damage::Deep:
        return Deep();
    case Damage::InvalidUtf8:
        return good.substr(0, value) + "\xC3\x28\xFF\xED\xA0\x80" + good.substr(value);
    case Damage::MegabyteValue:
        return good.substr(0, value) + std::string(1u << 20, 'x') + good.substr(value);
    }
    return std::nullopt;
}

class DamagedFilesTest : public ShippedDialogTest {
protected:
    // A kind of file: where it lives, its damaged forms, and what the program does with it, told as the
    // user would see it (with " +bad" when the program kept the original beside).
    struct Kind {
        const char* name;
        fs::path file;
        std::function<std::optional<std::string>(Damage)> make;
        std::function<std::wstring()> run;
        const wchar_t* expected[8];
    };

    // The main window over a skin folder: "window" when it opened, else the file its message named.
    std::wstring OpenMainWindow(COvercoatApp& owner, const fs::path& skinFolder) {
        std::wstring plain;
        owner.m_showPlainMessage = [&](const wchar_t* text, const wchar_t*) { plain += text; };
        RecordingDriver driver;
        AppServices services(owner);
        services.m_driver = &driver;
        services.m_skinFolder = skinFolder.wstring() + L"\\";
        CAppSettings settings((m_scratch / "window.ini").wstring());
        settings.m_nSystemTray = 0;
        COvercoatDlg window(owner, services, &settings);
        window.m_createHandler = nullptr;
        if (!window.Create(CDialog::IDD_MAIN))
            return L"not created";
        Pump();
        const bool open = ::IsWindow(window.GetSafeHwnd()) != FALSE;
        if (open)
            window.DestroyWindow();
        Pump();
        if (open)
            return L"window";
        for (const wchar_t* name : {L"DesignDictResource.lyt", L"MainWindow.lyt"}) {
            if (plain.find(name) != std::wstring::npos)
                return std::wstring(L"message ") + name;
        }
        return L"closed without a word";
    }

    std::wstring Bad(const fs::path& file) const {
        return fs::exists(fs::path(file.wstring() + L".bad")) ? L" +bad" : L"";
    }

    TempDir m_scratch;
};

TEST_F(DamagedFilesTest, NoCrashASoundOutcomeAndNoUserFileDestroyed) {
    const fs::path program = ProgramDir();
    const fs::path skin = program / "Skin" / "Overcoat";
    const fs::path data = m_scratch / "data";
    // A copy of the language folder and of the skin's markup, so the program's own files can be damaged.
    const fs::path langCopy = m_scratch / "program" / "lang" / "en-US";
    const fs::path skinCopy = m_scratch / "program" / "Skin" / "Overcoat";
    const fs::path mainCopy = m_scratch / "main";
    for (const fs::path& folder : {data, langCopy, skinCopy, mainCopy})
        fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(program / "lang" / "en-US"))
        fs::copy_file(entry.path(), langCopy / entry.path().filename());
    for (const auto& entry : fs::directory_iterator(skin)) {
        if (entry.path().extension() == ".lyt")
            fs::copy_file(entry.path(), skinCopy / entry.path().filename());
    }

    const std::string settingsGood = Utf16(L"[Setting]\r\nAudioDevice=USB Headset\r\nSkin=Dark\r\nSystemTray=0\r\n");
    const std::string profileGood =
        "<Profile Name=\"Backup\"><Endpoint Name=\"SPDIF\" DataFlow=\"Out\"><ApoEffect Name=\"SPDIFOutVolume\">"
        "<Property UIName=\"__Balance\" Value=\"7\" /></ApoEffect></Endpoint></Profile>";
    std::string presetsGood;
    for (const wchar_t* name : {L"Rock", L"Voice"}) {
        const uint32_t length = static_cast<uint32_t>(wcslen(name));
        presetsGood.append(reinterpret_cast<const char*>(&length), 4);
        for (const wchar_t* c = name; *c; ++c)
            presetsGood.append(reinterpret_cast<const char*>(c), 2);
        presetsGood.append(40, '\0');
    }

    // Worth knowing in the outcomes: a UTF-16 settings file cut at a character boundary cannot be told from a
    // whole one, so its last value reads as cut; the document reader accepts a root left open at the end of
    // the text, so a cut language file still gives the texts before the cut; a style dictionary whose value is
    // damaged still loads, and the main window that needs the damaged style is the file named. Markup holding
    // bytes that are not UTF-8 is damaged as a whole: a replaced character would change a name or a value.
    Kind kinds[] = {
        {"setting.ini", data / "setting.ini",
         [&](Damage damage) -> std::optional<std::string> {
             // As the program writes it (UTF-16), or as an older or hand-edited one (UTF-8, ANSI).
             switch (damage) {
             case Damage::InvalidUtf8:
                 return "\xEF\xBB\xBF[Setting]\r\nAudioDevice=USB \xC3\x28\xFF\r\nSkin=Dark\r\nSystemTray=0\r\n";
             case Damage::MegabyteValue:
                 return "[Setting]\r\nAudioDevice=" + std::string(1u << 20, 'x') + "\r\nSkin=Dark\r\nSystemTray=0\r\n";
             default:
                 return DamageDocument(settingsGood, damage);
             }
         },
         [&] {
             CAppSettings settings((data / "setting.ini").wstring());
             const std::wstring seen = L"skin " + settings.m_strSkin + L", tray " +
                                       std::to_wstring(settings.m_nSystemTray) + L", device \"" +
                                       settings.m_strAudioDevice + L"\"";
             settings.Save(); // as at exit
             return seen + Bad(data / "setting.ini");
         },
         {L"skin Overcoat, tray 1, device \"\"",
          L"skin Overcoat, tray 1, device \"\"",
          L"skin Overcoat, tray 1, device \"USB Hea\"",
          L"skin Overcoat, tray 1, device \"\" +bad",
          L"skin Dark, tray 0, device \"USB Headset\" +bad",
          L"skin Overcoat, tray 1, device \"\" +bad",
          L"skin Dark, tray 0, device \"\" +bad",
          L"skin Dark, tray 0, device \"\" +bad"}},
        {"Profile.xml", data / "Profile.xml", [&](Damage damage) { return DamageDocument(profileGood, damage); },
         [&] {
             CDeviceInfoSetting store(data.wstring() + L"\\");
             store.LoadOrReplaceProfileXml();
             alignas(8) uint8_t buffer[kPropertyBufferBytes] = {};
             store.VirtualPropertyControl(4, L"__Balance", buffer, sizeof(buffer), kValueText, 0, nullptr, 0, 0,
                                          false);
             return L"balance " + std::wstring(reinterpret_cast<const wchar_t*>(buffer)) + Bad(data / "Profile.xml");
         },
         {L"balance 1",
          L"balance 1 +bad",
          L"balance 1 +bad",
          L"balance 1 +bad",
          L"balance 7",
          L"balance 1 +bad",
          L"balance 7",
          L"balance 7"}},
        {"equalizer presets", data / "SpeakerEQProfile.dat",
         [&](Damage damage) -> std::optional<std::string> {
             if (damage == Damage::MegabyteValue) // a name length far beyond any name
                 return std::string("\x00\x00\x10\x00", 4) + std::string(1u << 20, 'x');
             if (damage == Damage::InvalidUtf8) // bytes inside the first name, which then ends elsewhere
                 return presetsGood.substr(0, 6) + "\xC3\x28\xFF" + presetsGood.substr(6);
             return DamageDocument(presetsGood, damage);
         },
         [&] {
             const fs::path file = data / "SpeakerEQProfile.dat";
             const auto presets = oc::eq::ReadPresetFile(file.wstring());
             oc::eq::WritePresetFile(file.wstring(), presets); // the page saves after a change
             return std::to_wstring(presets.size()) + L" presets" + Bad(file);
         },
         {L"0 presets",
          L"0 presets",
          L"1 presets +bad",
          L"0 presets +bad",
          L"2 presets +bad",
          L"0 presets +bad",
          L"1 presets +bad",
          L"0 presets +bad"}},
        {"language file", langCopy / "common.xaml",
         [&](Damage damage) { return DamageDocument(ReadBytes(program / "lang" / "en-US" / "common.xaml"), damage); },
         [&] {
             COvercoatApp reader;
             reader.UseProgramFolder((m_scratch / "program").wstring() + L"\\");
             const int loaded = reader.LoadLanguage(L"en-US");
             return L"loaded " + std::to_wstring(loaded) + L", title \"" + reader.GetLanguageText(L"ml_Main_Title") +
                    L"\"";
         },
         {L"loaded 1, title \"\"",
          L"loaded 1, title \"\"",
          L"loaded 1, title \"Overcoat Audio Center\"",
          L"loaded 1, title \"\"",
          L"loaded 1, title \"\"",
          L"loaded 1, title \"\"",
          L"loaded 1, title \"Overcoat Audio Center\"",
          L"loaded 1, title \"Overcoat Audio Center\""}},
        {"MainWindow.lyt", mainCopy / "MainWindow.lyt",
         [&](Damage damage) { return DamageDocument(ReadBytes(skin / "MainWindow.lyt"), damage); },
         [&] {
             COvercoatApp owner;
             owner.UseProgramFolder(program.wstring() + L"\\");
             owner.InitPaths();
             owner.LoadLanguage(L"en-US");
             owner.CreateLytController();
             const std::wstring seen = OpenMainWindow(owner, mainCopy);
             owner.ReleaseLytController();
             return seen;
         },
         {L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"message MainWindow.lyt",
          L"window"}},
        {"DesignDictResource.lyt", skinCopy / "DesignDictResource.lyt",
         [&](Damage damage) { return DamageDocument(ReadBytes(skin / "DesignDictResource.lyt"), damage); },
         [&] {
             COvercoatApp owner;
             owner.UseProgramFolder((m_scratch / "program").wstring() + L"\\");
             owner.InitPaths();
             owner.LoadLanguage(L"en-US");
             owner.CreateLytController();
             const std::wstring seen = OpenMainWindow(owner, skin);
             owner.ReleaseLytController();
             return seen;
         },
         {L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message DesignDictResource.lyt",
          L"message MainWindow.lyt"}},
    };

    for (Kind& kind : kinds) {
        const std::string good = ReadBytes(kind.file);
        for (size_t d = 0; d < std::size(kDamages); ++d) {
            SCOPED_TRACE(std::string(kind.name) + ", " + kDamageNames[d]);
            std::error_code ignored;
            fs::remove(fs::path(kind.file.wstring() + L".bad"), ignored);
            const std::optional<std::string> bytes = kind.make(kDamages[d]);
            if (bytes)
                std::ofstream(kind.file, std::ios::binary | std::ios::trunc) << *bytes;
            else
                fs::remove(kind.file, ignored);

            const std::wstring seen = kind.run();
            EXPECT_EQ(seen, kind.expected[d]);
            // Nothing the program could not read is gone: it is in place unchanged, or kept beside.
            if (bytes && seen.find(L" +bad") != std::wstring::npos) {
                EXPECT_TRUE(ReadBytes(kind.file.wstring() + L".bad") == *bytes) << "the kept copy is the original";
            } else if (bytes && kind.file.parent_path() != data) {
                EXPECT_TRUE(ReadBytes(kind.file) == *bytes) << "the program's own files are never written";
            } else if (bytes) {
                EXPECT_TRUE(fs::exists(kind.file));
            }
        }
        // The program's own files go back as shipped for the next kind.
        if (!good.empty())
            std::ofstream(kind.file, std::ios::binary | std::ios::trunc) << good;
    }
}

} // namespace
