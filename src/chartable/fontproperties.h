// The font's property block as the properties dialog edits it.
#pragma once

#include "model/bdfmodel.h"

#include <string>
#include <vector>

// The font's properties in their order; a "Uid" row shows the Uid field, which
// is what a save writes for it.
std::vector<TBDFProperty> PropertiesForEditing(const TBDFFont &font);

// Why a property cannot be written as it stands, empty when it can. A name is
// one word (no blanks, quotes or control characters). A value without quotes
// is an integer: an optional "-" and decimal digits that fit 32 bits, since
// bdftopcf and PCF keep integers so; "Uid" may also take the unsigned 32-bit
// values of tick counts. A quoted value is any text on one line.
std::string PropertyProblem(const TBDFProperty &property);

// The first problem of a list, naming its row (counted from 1); empty when every
// row can be written.
std::string PropertiesProblem(const std::vector<TBDFProperty> &properties);

// Makes properties the font's block: a "Uid" row sets the Uid field. Rows are
// taken as they are; callers check them first.
void SetProperties(TBDFFont &font, std::vector<TBDFProperty> properties);
