#include "platform/ClientDataSet.h"

#include "platform/Gbk.h"

#include <QString>

namespace platform {

// ---- TField ----

bool TField::IsNull() const {
    const DataPacketValue* value = owner_->current(index_);
    return !value || !*value;
}

std::string TField::AsString() const {
    const DataPacketValue* value = owner_->current(index_);
    return value ? owner_->textOf(*value) : std::string();
}

Variant TField::AsVariant() const {
    const DataPacketValue* value = owner_->current(index_);
    if (!value || !*value)
        return Variant(null);
    return Variant(owner_->textOf(*value));
}

std::int64_t TField::AsInteger() const {
    std::string text = AsString();
    return text.empty() ? 0 : Variant(std::move(text)).toInt64();
}

double TField::AsFloat() const {
    std::string text = AsString();
    return text.empty() ? 0.0 : Variant(std::move(text)).toDouble();
}

bool TField::AsBoolean() const {
    std::string text = AsString();
    return text.empty() ? false : Variant(std::move(text)).toBool();
}

// ---- TClientDataSet ----

TClientDataSet::TClientDataSet(std::string name)
    : name_(std::move(name)) {}

void TClientDataSet::setData(const Variant& packet) {
    Close();
    setData(decodeDataPacket(packet));
}

void TClientDataSet::setData(DataPacket packet) {
    Close();
    for (const auto& row : packet.rows) {
        if (row.size() != packet.fields.size())
            throw EDataPacketError("数据行的值个数与字段个数不符");
    }
    packet_ = std::move(packet);
    fields_.reserve(packet_.fields.size());
    for (std::size_t i = 0; i < packet_.fields.size(); ++i)
        fields_.push_back(std::unique_ptr<TField>(new TField(this, packet_.fields[i], int(i))));
    active_ = true;
    First();
}

Variant TClientDataSet::Data() const {
    if (!active_)
        return Variant(null);
    return dataPacketVariant(packet_);
}

void TClientDataSet::Close() {
    active_ = false;
    packet_ = {};
    fields_.clear();
    recNo_ = 0;
    eof_ = bof_ = true;
}

void TClientDataSet::requireActive() const {
    if (!active_)
        throw EDatabaseError((name_.empty() ? std::string() : name_ + ": ") +
                             "数据集未打开，不能执行此操作");
}

void TClientDataSet::First() {
    requireActive();
    recNo_ = 0;
    bof_ = true;
    eof_ = packet_.rows.empty();
}

void TClientDataSet::Last() {
    requireActive();
    recNo_ = packet_.rows.empty() ? 0 : int(packet_.rows.size()) - 1;
    eof_ = true;
    bof_ = packet_.rows.empty();
}

void TClientDataSet::Next() {
    requireActive();
    bof_ = false;
    if (recNo_ + 1 < int(packet_.rows.size()))
        ++recNo_;
    else
        eof_ = true;
}

void TClientDataSet::Prior() {
    requireActive();
    eof_ = false;
    if (recNo_ > 0)
        --recNo_;
    else
        bof_ = true;
    if (packet_.rows.empty())
        eof_ = true;
}

bool TClientDataSet::Eof() const {
    requireActive();
    return eof_;
}

bool TClientDataSet::Bof() const {
    requireActive();
    return bof_;
}

bool TClientDataSet::IsEmpty() const {
    requireActive();
    return packet_.rows.empty();
}

int TClientDataSet::RecordCount() const {
    requireActive();
    return int(packet_.rows.size());
}

int TClientDataSet::RecNo() const {
    requireActive();
    return packet_.rows.empty() ? 0 : recNo_ + 1;
}

int TClientDataSet::FieldCount() const {
    return int(fields_.size());
}

TField& TClientDataSet::Fields(int index) {
    requireActive();
    if (index < 0 || index >= int(fields_.size()))
        throw EDatabaseError("字段序号 " + std::to_string(index) + " 超出范围");
    return *fields_[std::size_t(index)];
}

TField* TClientDataSet::FindField(std::string_view name) {
    QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (auto& field : fields_) {
        const std::string& own = field->FieldName();
        if (QString::compare(QString::fromUtf8(own.data(), qsizetype(own.size())), wanted,
                             Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

TField& TClientDataSet::FieldByName(std::string_view name) {
    requireActive();
    if (TField* field = FindField(name))
        return *field;
    throw EDatabaseError((name_.empty() ? std::string() : name_ + ": ") + "字段 '" +
                         std::string(name) + "' 不存在");
}

bool TClientDataSet::Locate(std::string_view fieldName, std::string_view value,
                            bool caseInsensitive) {
    const int index = FieldByName(fieldName).Index();
    const QString wanted = QString::fromUtf8(value.data(), qsizetype(value.size()));
    for (std::size_t r = 0; r < packet_.rows.size(); ++r) {
        const DataPacketValue& cell = packet_.rows[r][std::size_t(index)];
        if (!cell)
            continue;
        std::string text = textOf(cell);
        bool equal = caseInsensitive
                         ? QString::compare(QString::fromUtf8(text.data(), qsizetype(text.size())),
                                            wanted, Qt::CaseInsensitive) == 0
                         : text == value;
        if (equal) {
            recNo_ = int(r);
            eof_ = bof_ = false;
            return true;
        }
    }
    return false;
}

const DataPacketValue* TClientDataSet::current(int fieldIndex) const {
    requireActive();
    if (packet_.rows.empty() || fieldIndex < 0 || fieldIndex >= int(packet_.fields.size()))
        return nullptr;
    return &packet_.rows[std::size_t(recNo_)][std::size_t(fieldIndex)];
}

std::string TClientDataSet::textOf(const DataPacketValue& value) const {
    if (!value)
        return {};
    return trimTrailingBlanks_ ? trimRightBlanks(*value) : *value;
}

} // namespace platform
