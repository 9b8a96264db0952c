// The one place where bytes of the model meet text of the window.
#pragma once

#include <QString>

#include <string>

// Bytes as shown: UTF-8 when they are valid UTF-8, otherwise Latin-1, which maps
// every byte to one character.
QString BytesToText(const std::string &bytes);

// The bytes for text a field now shows: the original bytes when the text is what
// they show (so filling a field and storing it back changes nothing), otherwise
// the text as UTF-8.
std::string TextToBytes(const QString &text, const std::string &original);

// File paths between the model (bytes) and Qt.
QString PathToQ(const std::string &path);
std::string PathFromQ(const QString &path);
