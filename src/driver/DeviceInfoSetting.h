#pragma once
// The program's own endpoint settings that are not driver properties: channel balances and the rotation
// choice of the virtual-speaker panels. They are the virtual properties ("__Balance", "__Clockwise", ...),
// kept in tables, mirrored in a document and stored in Profile.xml in the data folder.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/CriticalSection.h"
#include "driver/ProfileDocument.h"
#include "markup/IProfileController.h"

struct PropertySetDefault {
    const wchar_t* uiName;
    const wchar_t* value;
};

struct PropertySetRow {
    int32_t code;
    const wchar_t* setName;
    const PropertySetDefault* records;
    int count;
    // The row whose records this row uses: its own index, or the Speaker rows for SpeakerQuarter, which
    // show the same values.
    int storageRow;
};

inline constexpr int kPropertySetRowCount = 15;
extern const PropertySetRow g_PropertySetTable[kPropertySetRowCount];

class CDeviceInfoSetting : public IProfileControllerListener {
public:
    // dataFolder ends with a backslash; the tables start at their defaults.
    explicit CDeviceInfoSetting(std::wstring dataFolder);
    virtual ~CDeviceInfoSetting() = default;
    CDeviceInfoSetting(const CDeviceInfoSetting&) = delete;
    CDeviceInfoSetting& operator=(const CDeviceInfoSetting&) = delete;

    // Rebuilds the document from the tables.
    void Reload();
    // Takes the stored values from Profile.xml; nonzero when the file was read.
    int LoadProfileXml();
    // Writes the document to Profile.xml (through a temporary file); nonzero when it is in place. Zero
    // without writing while an unreadable file could not be kept (see LoadOrReplaceProfileXml).
    int SaveProfileXml();
    // Start-up: loads Profile.xml, or writes the default document when there is none or it cannot be read.
    // An unreadable file is first moved aside (BadProfilePath, or the next free ".badN"), so the user's
    // values are never overwritten; when it cannot be moved, it stays as it is for the rest of the run: the
    // values live in memory only, and no save writes the file.
    void LoadOrReplaceProfileXml();
    std::wstring BadProfilePath() const { return GetProfilePath() + L".bad"; }

    // A loaded Profile.xml: its values go into the tables, then the document is rebuilt from them.
    void OnProfileLoaded(IXmlObject* root) override;
    // A file that cannot be read leaves the defaults, which the caller then writes out.
    void OnProfileError(const wchar_t* /*message*/) override {}

    // Serves one virtual property of an endpoint. A write stores the value's text (integers "%d", floats
    // "%f", texts up to 255 characters); a read copies the stored text into the value buffer, cut to fit
    // its capacity and terminated. 0 on success, -1 when the endpoint has no record of that name.
    int32_t VirtualPropertyControl(int32_t endpointCode, const std::wstring& name, void* valueBuffer,
                                   size_t valueCapacityBytes, int32_t valueType, uint32_t valueByteCount,
                                   const void* arguments, int32_t argumentType, uint32_t argumentByteCount, bool write);

    // A copy of the document as it stands.
    ProfileRoot GetDocument();

    std::wstring GetProfilePath() const { return m_dataFolder + L"Profile.xml"; }

private:
    std::vector<ProfileProperty>& RowRecords(int row);
    ProfileProperty* FindRecord(int32_t endpointCode, const std::wstring& name);
    void ReloadLocked();
    void MatchEffect(const IXmlObject& effect);
    int SaveLocked();

    // The read and write paths of the driver object run under different locks and both come here.
    CCriticalSection m_lock;
    std::wstring m_dataFolder;
    std::array<std::vector<ProfileProperty>, kPropertySetRowCount> m_records;
    ProfileRoot m_root;
    bool m_fileLeftAlone = false; // an unreadable Profile.xml that could not be moved aside
};
