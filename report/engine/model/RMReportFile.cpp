// Template files, form-data storage and prepared-report files of TRMReport.

#include "platform/EngineTexts.h"
#include "report/engine/model/RMCalcMemoView.h"
#include "report/engine/model/RMGraphicViews.h"
#include "report/engine/model/RMMemoView.h"
#include "report/engine/model/RMReport.h"
#include "report/engine/model/RMUnits.h"

#include <QFile>
#include <QSaveFile>

namespace report {

namespace {

constexpr std::string_view templateMagic = "Quarvelinthos Report File\x1A";

std::string printerNameForFile(const std::string& name) {
    if (name.empty() || sameText(name, "Default Printer") || name == platform::engineText(47007))
        return "Default Printer";
    if (name == "Virtual Printer" || name == platform::engineText(47495))
        return "Virtual Printer";
    return name;
}

// A template that cannot be read (its message is the report-wide error text).
struct ETemplateError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string readFile(const std::string& fileName, bool& ok) {
    QFile file(QString::fromStdString(fileName));
    ok = file.open(QIODevice::ReadOnly);
    if (!ok)
        return {};
    const QByteArray data = file.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

bool writeFile(const std::string& fileName, const std::string& bytes) {
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        return false;
    return file.commit();
}

} // namespace

void TRMReport::SaveToStream(RMStream& s) const {
    s.writeByte(rmCurrentVersion);
    s.writeByte(0);
    s.writeByte(11);
    s.writeString(templateMagic);
    s.writeBool(PrintBackColor);
    s.writeInt32(PrintOffsetTop);
    s.writeInt32(PrintOffsetLeft);
    s.writeBool(PrintPagePerPage);

    for (const std::string& info : ReportInfo.Strings)
        s.writeString(info);
    s.writeByte(0);
    s.writeBool(Taoda);
    s.writeBool16(DoublePass);
    s.writeString(printerNameForFile(PrinterName));
    // The page index of a view is one byte: pages beyond 255 cannot be stored (SaveToFile
    // refuses such a report).
    const int pageCount = std::min(Pages.Count(), kMaxFilePages);
    for (int i = 0; i < pageCount; ++i) {
        s.writeByte(255);
        s.setSubject(Pages[i]->Name);
        Pages[i]->SaveHeaderToStream(s);
    }
    for (int i = 0; i < pageCount; ++i) {
        for (const auto& view : Pages[i]->Objects()) {
            s.setSubject(view->Name);
            s.writeByte(view->ObjectType);
            if (view->ObjectType == gtAddIn)
                s.writeString(view->ClassName());
            s.writeByte(static_cast<std::uint8_t>(i));
            const std::size_t slot = s.beginEndOffset();
            const std::uint8_t mode = view->StreamMode;
            view->StreamMode = smTemplate;
            view->SaveToStream(s);
            view->StreamMode = mode;
            s.patchEndOffset(slot);
        }
    }
    s.setSubject({});
    s.writeByte(252);
    Dictionary.SaveToStream(s);
}

bool TRMReport::LoadFromStream(RMStream& s) {
    Dictionary.Clear();
    ClassNotFound.clear();
    ErrorMessage.clear();
    if (s.atEnd())
        return true;
    try {
        loadTemplate(s);
    } catch (const ETemplateError& e) {
        ErrorMessage = e.what();
        showEngineError(ErrorMessage == "Not Quarvelinthos Report File!"
                            ? platform::engineText(47499, "不是Quarvelinthos报表文件！")
                            : platform::engineText(47345, "不支持的rmf格式"));
        Pages.Clear();
        return false;
    } catch (const std::exception& e) {
        ErrorMessage = e.what();
        showEngineError(platform::engineText(47345, "不支持的rmf格式"));
        Pages.Clear();
        return false;
    }
    if (ClassNotFound.found) {
        showEngineError(
            "Opened report contains the following non-plugged components:\r" +
            ClassNotFound.message +
            "Use the matching component (add its unit to the program) to open this report.");
    }
    LoadReportSetting();
    return true;
}

void TRMReport::loadTemplate(RMStream& s) {
    int version = s.readByte();
    int sub1 = 0, sub2 = 0;
    if (version >= 36) {
        sub1 = s.readByte();
        sub2 = s.readByte();
    }
    const int combined = version * 100 + sub1 * 10 + sub2;
    if (combined > 4101 && version <= 43) {
        if (s.readString() != templateMagic)
            throw ETemplateError("Not Quarvelinthos Report File!");
    }
    if (version > 20 && version <= 43) {
        if (combined > 4003)
            PrintBackColor = s.readBool();
        if (combined > 4099) {
            PrintOffsetTop = s.readGeometry();
            PrintOffsetLeft = s.readGeometry();
        }
        if (sub2 > 10)
            PrintPagePerPage = s.readBool();
    }
    if (version <= 20) { // no header: the whole stream is a version-21 body
        s.seek(0);
        version = 21;
    }
    if (version > 43)
        throw ETemplateError("unsupported format");
    const int fileVersion = version * 100 + sub1 * 10 + sub2;

    Clear();
    if (fileVersion > 4001)
        for (std::string& info : ReportInfo.Strings)
            info = s.readString();
    if (version >= 32)
        s.readByte();
    if (version >= 35)
        Taoda = s.readBool();
    if (fileVersion < 4101)
        s.readInt16();
    DoublePass = s.readBool16();
    const std::string printer = s.readString();
    PrinterName = printer;
    currentPrinter().selectPrinter(printer);

    while (!s.atEnd()) {
        const std::uint8_t record = s.readByte();
        if (record == 255) {
            TRMPage* page = Pages.Add();
            page->LoadHeaderFromStream(s);
            continue;
        }
        if (record == 252 || record == 254) {
            Dictionary.LoadFromStream(s);
            continue;
        }
        if (record == 253)
            break;
        if (record > gtAddIn)
            throw ETemplateError("bad object type");

        std::string className;
        int extraBytes = 0;
        if (record == gtAddIn) {
            className = s.readString();
            const std::string upper = upperCase(className);
            if (upper == "TRMBDELOOKUPCONTROL" || upper == "TRMIBXLOOKUPCONTROL")
                className = "TRMDBLookupControl";
        }
        std::unique_ptr<TRMView> view;
        std::string upper = upperCase(className);
        if (upper == "TRMFRAMEDMEMOVIEW" || upper == "TFRFRAMEDMEMOVIEW") {
            view = createView(gtMemo, "");
            extraBytes = 8;
        } else {
            try {
                view = createView(record, className, &ClassNotFound);
            } catch (const EClassNotFound&) {
                view.reset();
                if (version < 29)
                    throw; // without an end offset the record cannot be skipped
            }
        }
        const std::uint8_t pageIndex = s.readByte();
        std::size_t end = 0;
        const bool hasEnd = version >= 29;
        if (hasEnd)
            end = s.readEndOffset(s.position());
        TRMPage* page = Pages[pageIndex];
        if (view == nullptr || page == nullptr) {
            if (!hasEnd)
                throw ETemplateError("view without class or page");
            s.seek(end);
            continue;
        }
        try {
            view->StreamMode = smTemplate;
            view->LoadFromStream(s);
            if (extraBytes > 0)
                s.skip(static_cast<std::size_t>(extraBytes));
            if (fileVersion < 3810) {
                view->Left = convertOldUnit(view->Left);
                view->Top = convertOldUnit(view->Top);
                view->Width = convertOldUnit(view->Width);
                view->Height = convertOldUnit(view->Height);
                // Totals of these files count the rows of hidden bands too.
                if (auto* calc = dynamic_cast<TRMCalcMemoView*>(view.get()))
                    calc->setFlag(calcflag::CalcNoVisible, true);
            }
            page->addView(std::move(view));
        } catch (const std::exception&) {
            if (!hasEnd || version < 24)
                throw;
        }
        if (hasEnd)
            s.seek(end);
    }
    for (int i = 0; i < Pages.Count(); ++i) {
        for (const auto& view : Pages[i]->Objects()) {
            if (const auto* sub = dynamic_cast<const TRMSubReportView*>(view.get())) {
                if (TRMPage* target = Pages[sub->SubPage]) {
                    target->IsSubReport = true;
                    target->ParentPage = Pages[i];
                }
            }
        }
    }
}

bool TRMReport::SaveToFile(const std::string& fileName) {
    SaveWarnings.clear();
    if (Pages.Count() > kMaxFilePages) {
        ErrorMessage = "报表有 " + std::to_string(Pages.Count()) + " 页，报表文件最多保存 " +
                       std::to_string(kMaxFilePages) + " 页，未保存";
        return false;
    }
    RMStream stream;
    SaveToStream(stream);
    if (!stream.losses().cut.empty()) {
        ErrorMessage = cutTextsMessage(lossNames(stream.losses().cut));
        return false;
    }
    if (!writeFile(fileName, stream.bytes())) {
        ErrorMessage = "无法写入文件 " + fileName;
        return false;
    }
    SaveWarnings = lossNames(stream.losses().replaced);
    FileName = fileName;
    return true;
}

bool TRMReport::LoadFromFile(const std::string& fileName) {
    bool ok = false;
    RMStream stream(readFile(fileName, ok));
    if (!ok)
        return false;
    if (!LoadFromStream(stream))
        return false;
    FileName = fileName;
    return true;
}

std::string TRMReport::SaveToFormData() const {
    RMStream stream;
    stream.writeInt32(rmCurrentVersion);
    if (StoreInDFM) {
        RMStream body;
        SaveToStream(body);
        stream.writeInt32(static_cast<std::int32_t>(body.size()));
        stream.writeBytes(body.bytes());
    }
    return stream.takeBytes();
}

bool TRMReport::LoadFromFormData(const std::string& data) {
    RMStream stream(data);
    try {
        stream.readInt32();
        if (stream.atEnd())
            return true;
        const std::int32_t length = stream.readInt32();
        if (length < 0 || static_cast<std::size_t>(length) > stream.remaining())
            throw EStreamError("bad length");
        RMStream body(stream.readBytes(static_cast<std::size_t>(length)));
        return LoadFromStream(body);
    } catch (const EStreamError&) {
        showEngineError(platform::engineText(47345, "不支持的rmf格式"));
        Pages.Clear();
        return false;
    }
}

bool TRMReport::SavePreparedReport(const std::string& fileName) {
    EMFPages.Taoda = Taoda;
    SaveWarnings.clear();
    std::string error;
    if (EMFPages.SaveToFile(fileName, &error, &SaveWarnings))
        return true;
    ErrorMessage = error;
    return false;
}

bool TRMReport::LoadPreparedReport(const std::string& fileName) {
    if (!QFile::exists(QString::fromStdString(fileName)))
        return false;
    std::string error;
    EMFPages.Taoda = Taoda;
    EMFPages.PrinterName = PrinterName;
    const bool loaded = EMFPages.LoadFromFile(fileName, &error);
    Taoda = EMFPages.Taoda;
    PrinterName = EMFPages.PrinterName;
    if (loaded)
        return true;
    ErrorMessage = EMFPages.LoadError;
    showEngineError(error);
    return false;
}

} // namespace report
