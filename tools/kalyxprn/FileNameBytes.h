// File names are bytes to the system, and the command line hands them over as bytes. Qt turns
// them into text through the locale's codec, and a name that is not valid UTF-8 (a byte 0xff)
// would come back as a different name: a missing input, or another file replaced. This codec
// keeps every byte: valid UTF-8 reads as usual, each byte of an invalid sequence becomes the
// lone surrogate U+DC80 + (byte - 0x80), and writing turns such surrogates back into the byte.
#pragma once

#include <QString>

namespace cli {

// Makes the codec the locale's, so arguments, QFile and every other name Qt encodes keep the
// system's bytes. Call before reading the arguments. Does nothing where names are UTF-16.
void keepFileNameBytes();

// `text` with the kept bytes of invalid sequences shown as U+FFFD, for JSON and other text
// that must be valid Unicode.
QString withoutKeptBytes(const QString& text);

} // namespace cli
