#pragma once

// Base of every object placed on a report page. Geometry is in screen pixels, relative
// to the page (to the band while a report is prepared).

#include "platform/Variant.h"
#include "report/engine/model/RMStream.h"
#include "report/engine/model/RMTextScan.h"
#include "report/engine/model/RMTypes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {
class TCanvas;
}

namespace report {

// A named bit of a view's Flags, as named properties and the template's text form call it.
struct TRMFlagName {
    const char* name;
    std::uint16_t bit;
};
// The flags of views other than bands, in the order the text form lists them.
std::span<const TRMFlagName> viewFlagNames();

class TRMBand;
class TRMPage;
class TRMReport;
struct TRMDrawContext;

// Where a view lands on the device: device = page pixel × scale + offset.
struct TRMDrawPlacement {
    double ScaleX = 1.0, ScaleY = 1.0;
    double OffsetX = 0.0, OffsetY = 0.0;
};

// Root of views and pages: scripts reach properties through it by name.
class TRMObject {
public:
    virtual ~TRMObject() = default;
};

class TRMView : public TRMObject {
public:
    TRMView();
    ~TRMView() override = default;

    // Class name written after the add-in type code (empty for built-in types).
    virtual std::string ClassName() const { return "TRMView"; }
    virtual std::unique_ptr<TRMView> clone() const;

    void SaveToStream(RMStream& stream) const;
    void LoadFromStream(RMStream& stream);
    virtual void SaveState();
    virtual void RestoreState();
    virtual void SetBounds(int left, int top, int width, int height);
    // Draws the view as it stands (fill, content, frame) at `at`. Drawing never changes the
    // view, so one decoded page can serve several drawers at once.
    virtual void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
                      const TRMDrawContext& context) const;
    // Named properties for scripts and expressions ("Left", "Memo", "FrameTyp", ...), names
    // compared without regard to case. Unknown names return false and change nothing; a
    // value that does not convert raises platform::EVariantError.
    virtual bool SetPropValue(std::string_view name, const platform::Variant& value);
    virtual bool GetPropValue(std::string_view name, platform::Variant& value) const;
    // Script methods ("HIDE", "SHOW"); false when the view has no such method.
    virtual bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args);

    // --- preparation
    // Height the content needs at the current width; views without content of their own
    // keep their height.
    virtual int CalcHeight(TRMReport& report);
    // Writes the view in prepared form into a prepared page stream at its current place
    // (the caller has placed it). False when nothing new was written.
    virtual bool PrintToStream(TRMReport& report, RMStream& stream);

    bool flag(std::uint16_t bit) const { return (Flags & bit) != 0; }
    void setFlag(std::uint16_t bit, bool on);
    bool flag2(std::int32_t bit) const { return (Flags2 & bit) != 0; }
    void setFlag2(std::int32_t bit, bool on);

    // Packs the four frame Visible flags: 1 right, 2 bottom, 4 left, 8 top.
    int FrameTyp() const;
    void setFrameTyp(int value);
    void setFrameWidth(float width);
    void setFrameColor(TColor color);
    void setFrameStyle(std::uint8_t style);

    TRMBand* ParentBand = nullptr; // only while a report is prepared
    std::string BaseName = "View";
    std::uint8_t StreamMode = smTemplate;
    std::string Name;
    std::uint8_t ObjectType = gtAddIn;
    std::uint8_t Version1 = 10;
    std::uint8_t Version2 = 0; // 12 for memo views and their descendants
    std::int32_t ID = 0;
    bool Selected = false; // preparation: not yet assigned to a band
    double ScaleX = 1.0, ScaleY = 1.0;
    std::int32_t OffsetX = 0, OffsetY = 0;
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::uint16_t Flags = flag::PrintFrame | flag::PrintVisible;
    std::int32_t Flags2 = 0;
    TRMFrameLine LeftFrame, TopFrame, RightFrame, BottomFrame;
    std::int16_t BandType = 0; // band type (low 7 bits) on band views, diagonal kind elsewhere
    std::int32_t GapX = 2, GapY = 2;
    TColor FillColor = clNone;
    std::uint8_t BandAlign = baNone;
    std::int32_t DisplayFormat = '.' + 512; // 2 decimals, separator "."
    std::string DisplayFormatText;          // band views: DataSource or group Condition
    bool Visible = true;
    std::uint16_t Restrictions = 0;
    std::string Tag; // band views: NewPageCondition
    TRMStrings Memo;
    TRMStrings OnBeforePrint;
    TRMStrings OnAfterPrint;
    TRMStrings Memo1; // evaluated text

protected:
    // The bytes of the file LOADFROMFILE names: a regular file of at most kMaxLoadedFile
    // bytes, else an error naming it.
    static std::string loadedFile(const std::vector<platform::Variant>& args);
    static constexpr long long kMaxLoadedFile = 64LL << 20;

    // Record of a concrete class after the common view part.
    virtual void saveExtra(RMStream&) const {}
    virtual void loadExtra(RMStream&) {}

private:
    struct SavedState {
        std::int32_t GapX = 0, GapY = 0, Left = 0, Top = 0, Width = 0, Height = 0;
        float frames[4] = {};
    } saved_;
};

// Rectangle with frame and fill.
class TRMRegionView : public TRMView {
public:
    TRMRegionView();
    std::string ClassName() const override { return "TRMRegionView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMRegionView>(*this);
    }
};

// A view that can grow downwards with its content.
class TRMStretcheable : public TRMView {
public:
    std::string ClassName() const override { return "TRMStretcheable"; }
};

// Reads and writes one frame side: byte Visible, byte Style, int32 Color, int32 width × 1000.
void writeFrameLine(RMStream& stream, const TRMFrameLine& line);
TRMFrameLine readFrameLine(RMStream& stream);
// Picture as stored in streams; `blobType` is written for picture views only.
void writePicture(RMStream& stream, const TRMPicture& picture, const std::uint8_t* blobType);
TRMPicture readPicture(RMStream& stream, std::uint8_t* blobType);

} // namespace report
