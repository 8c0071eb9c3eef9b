#pragma once

#include <QString>

// The icon key of a file by its name: the last four characters, upper-cased,
// looked up among the known file types ("a.txt" → "TextFile", "index.html"
// → "HtmlFile"); anything else is a plain "File". Four-letter extensions
// other than HTML ("jpeg", "tiff") are plain files too.
QString FileTypeIconKey(const QString &name);
