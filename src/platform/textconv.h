// The one place where bytes of the model meet text of the window.
#pragma once

#include <QString>

#include <string>

// Bytes as shown: UTF-8 when they are valid UTF-8, otherwise Latin-1, which maps
// every byte to one character.
QString BytesToText(const std::string &bytes);

// The bytes for text a field now shows, encoded the way BytesToText decoded the
// original bytes: as UTF-8 when they were UTF-8, otherwise each character as its
// Latin-1 byte (characters beyond Latin-1 as UTF-8). Text equal to what the
// original bytes show gives those bytes back unchanged.
std::string TextToBytes(const QString &text, const std::string &original);

// File paths between the model (bytes) and Qt.
QString PathToQ(const std::string &path);
std::string PathFromQ(const QString &path);
