#pragma once

// Qt values as the engine's Variant, for whatever hands the engine data held in Qt types:
// item models, the properties of a window's controls.

#include "platform/Variant.h"

class QVariant;

namespace report {

// Numbers, Booleans, texts and byte arrays keep their kind; a platform::Currency held in a
// QVariant stays currency; dates and times become day numbers; images and pixmaps become
// the bytes of a BMP file (the picture a picture view loads); an invalid or null value
// becomes Null.
platform::Variant variantFromQt(const QVariant& value);

} // namespace report
