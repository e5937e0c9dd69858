#include "report/print/RMPreparedPageSource.h"

#include <QByteArray>

namespace report {

std::optional<TRMSourceBackground> TRMPreparedPageSource::Background(int index) const {
    const TRMPageInfo info = pages_.pageInfo(index);
    const TRMBkPicture* background = pages_.Background(info.BackgroundIndex);
    if (info.BackgroundIndex == 255 || background == nullptr || background->Picture.empty())
        return {};
    auto it = decoded_.find(info.BackgroundIndex);
    if (it == decoded_.end()) {
        platform::Picture picture;
        const QByteArray bytes(background->Picture.data.data(),
                               static_cast<qsizetype>(background->Picture.data.size()));
        // The bytes carry their own kind (BMP, JPEG, icon or metafile signature).
        if (!picture.loadFromBytes(bytes))
            picture.clear(); // a picture that does not decode is not printed
        it = decoded_.emplace(info.BackgroundIndex, std::move(picture)).first;
    }
    if (it->second.isEmpty())
        return {};
    return TRMSourceBackground{background->Left, background->Top, background->Width,
                               background->Height, &it->second};
}

} // namespace report
