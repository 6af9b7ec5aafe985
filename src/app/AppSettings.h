#pragma once
// The user's application settings, kept in the "Setting" section of setting.ini in the data folder.
// Every subsystem reads and writes the fields directly; Save writes them back.
#include <string>
#include <windows.h>

#include "app/SettingsText.h"

// How a read of the settings file went.
enum class SettingsFileState {
    Missing,  // no file: the defaults
    Read,     // read (its text may still hold damaged lines)
    Unopened, // it exists but could not be opened or read (nor held in memory)
};
// Reads the whole file, whatever its size, and parses its text; the text is empty unless the state is
// Read. The bytes, when asked for, are the file's as read.
SettingsFileState ReadSettingsFile(const std::wstring& path, CSettingsText& text, std::string* bytes = nullptr);

// The main window's part in switching the tray icon (the main dialog implements it).
class ITrayHost {
public:
    virtual void ShowTrayIcon(bool show) = 0;
    virtual bool IsMainWindowVisible() = 0;
    virtual void RestoreMainWindow() = 0;

protected:
    ~ITrayHost() = default;
};

class CAppSettings {
public:
    // Sets the defaults, then loads the file (a missing file or section keeps the defaults).
    explicit CAppSettings(std::wstring iniPath);

    // Reads each key on its own: a damaged value costs only its key, which keeps its default. A file that
    // could not be read in full is kept beside at once (BadCopyPath, or the next free ".badN"), before
    // anything could write it.
    void Load();
    // Writes the file through a temporary copy that then replaces it, so a failed write leaves the old
    // file whole. Lines and keys of the file that are not settings stay. The file as it is on disk now is
    // read again: if that could not be read in full, its bytes are kept beside first (never over an earlier
    // kept copy), so nothing the program could not read is lost. False when the file could not be written,
    // or could not be read, or not be kept.
    bool Save() const;
    // Whether the last Load met a file that could not be read in full.
    bool WasUnreadable() const { return m_unreadable; }
    std::wstring BadCopyPath() const { return m_iniPath + L".bad"; }
    // Writes the bytes to path + ".tmp", then moves that over the path.
    static bool ReplaceFile(const std::wstring& path, const std::string& bytes);

    // Switches the tray icon through the main window (when there is one), then stores the value.
    void SetSystemTray(int value);
    std::wstring GetLanguage() const { return m_strLanguage; }
    const std::wstring& GetIniPath() const { return m_iniPath; }

    // The culture of the system default locale, from the table of the shipped languages.
    static const wchar_t* GetDefaultCulture();
    static const wchar_t* GetDefaultCulture(LANGID language);

    std::wstring m_strAudioDevice;
    std::wstring m_strAsioDriver;
    std::wstring m_strLanguage;
    std::wstring m_strSkin;
    int m_nUITransparent = 1; // percent, 0 opaque; kept within 0..100
    int m_nSystemTray = 1;
    int m_nWelcomeMsg = 1;
    int m_nNoiseCancelPrompt = 1; // not stored: for the rest of the run only
    int m_nMicInListenToDevice = 0;
    int m_nLineInListenToDevice = 0;
    int m_nAuxInListenToDevice = 0;
    std::wstring m_strLastAPOName;
    int m_nEQIndex = 0;
    int m_nQuarterEQIndex = 0;

    ITrayHost* m_pTrayHost = nullptr;

private:
    // Reads the file into the text; one not read in full has its bytes kept beside. False when the file
    // must be left alone: it could not be read, or not be kept.
    bool ReadKeepingDamage(CSettingsText& text, SettingsFileState& state) const;

    std::wstring m_iniPath;
    bool m_unreadable = false;
};
