#pragma once

// Non-text views: picture, line, subreport, shape and check box (the rich view, which
// callers reach through this header too, lives in RMRichView.h).

#include "platform/GdiObjects.h"
#include "report/engine/model/RMRichView.h"
#include "report/engine/model/RMView.h"

namespace report {

class TRMReport;

class TRMPictureView : public TRMView {
public:
    // Picture flags.
    static constexpr std::uint16_t Stretched = 0x01, Center = 0x02, KeepAspect = 0x04,
                                   Transparent = 0x08;
    enum BlobKind : std::uint8_t { btBMP = 0, btJPG = 1, btWMF = 2, btICO = 3 };

    TRMPictureView();
    std::string ClassName() const override { return "TRMPictureView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMPictureView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;
    // "LOADFROMFILE"(file): the picture of a BMP, JPEG, icon or metafile file (an error
    // when the file cannot be read or holds none of them); "HIDE", "SHOW".
    bool DoMethod(std::string_view name, const std::vector<platform::Variant>& args) override;
    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;
    // Target rectangle of a picture of that size in the device rectangle `rect`.
    platform::TRect PictureRect(const platform::TRect& rect, int pictureWidth, int pictureHeight,
                                const TRMDrawPlacement& at) const;
    // Loads a database blob by its signature and BlobType; false leaves no picture.
    bool LoadBlob(const std::string& bytes);

    TRMPicture Picture;
    std::uint8_t BlobType = btBMP;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

// Straight line drawn with the frame settings; vertical (left side) when created.
class TRMLineView : public TRMStretcheable {
public:
    TRMLineView();
    std::string ClassName() const override { return "TRMLineView"; }
    std::unique_ptr<TRMView> clone() const override { return std::make_unique<TRMLineView>(*this); }
    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;
};

// Places another template page as a subreport.
class TRMSubReportView : public TRMView {
public:
    TRMSubReportView();
    std::string ClassName() const override { return "TRMSubReportView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMSubReportView>(*this);
    }
    std::int32_t SubPage = 0; // index of the target page

protected:
    void saveExtra(RMStream& stream) const override { stream.writeInt32(SubPage); }
    void loadExtra(RMStream& stream) override { SubPage = stream.readInt32(); }
};

class TRMShapeView : public TRMView {
public:
    enum Kind : std::uint8_t {
        skRectangle = 0,
        skRoundRectangle = 1,
        skEllipse = 2,
        skTriangle = 3,
        skDiagonal1 = 4,
        skDiagonal2 = 5,
        skSquare = 100,
        skRoundSquare = 101,
        skCircle = 102
    };
    TRMShapeView();
    std::string ClassName() const override { return "TRMShapeView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMShapeView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;

    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;

    std::uint8_t Shape = skRectangle;
    std::uint8_t PenMode = 4; // stored only; drawing copies

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

class TRMCheckBoxView : public TRMView {
public:
    enum Style : std::uint8_t { csCross = 0, csCheck = 1 };
    TRMCheckBoxView();
    std::string ClassName() const override { return "TRMCheckBoxView"; }
    std::unique_ptr<TRMView> clone() const override {
        return std::make_unique<TRMCheckBoxView>(*this);
    }
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    bool GetPropValue(std::string_view name, platform::Variant& value) const override;

    void Draw(platform::TCanvas& canvas, const TRMDrawPlacement& at,
              const TRMDrawContext& context) const override;
    // Whether the stored value reads as checked (not empty and not starting with "0").
    bool Checked() const;
    // When written: the first Memo line evaluated, rounded to an integer, as Memo1.
    void EvaluateState(TRMReport& report);

    std::uint8_t CheckStyle = csCross;
    TColor CheckColor = clBlack;

protected:
    void saveExtra(RMStream& stream) const override;
    void loadExtra(RMStream& stream) override;
};

} // namespace report
