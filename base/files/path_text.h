#pragma once
// Text passes over narrow paths, free of any file-system access: the normalisation
// applied when a path is set or extended, splitting at separators, and the
// "file://" rendering.

#include "strings/pstring.h"

namespace LumoBase {

// A copy of text with every "/" after the first character turned into "\". The
// first character keeps a slash; nothing else changes.
PString ToBackslashes(const PString& text);

// While the path holds "\.\", its first occurrence becomes "\".
void RemoveDotSegments(PString& path);

// While the path holds "\..\", its first occurrence and the component in front of
// it become "\". An occurrence with no "\" in front of it is left in place and ends
// the pass (C:\..\x stays as it is).
void ResolveParentSegments(PString& path);

// While the path holds "\\", its first occurrence becomes "\".
void CollapseDoubleSeparators(PString& path);

// The path extended by one component: leading "/" of name skipped, the rest turned
// to backslashes, "\" and the rest appended, then the three passes above in order.
// A null name answers the path unchanged.
PString JoinComponent(const PString& path, const char* name);

// "file://" and the path, each byte other than ASCII letters, digits and ":" "/"
// "," "." replaced by "%" and two lower-case hexadecimal digits.
PString ToFileURL(const PString& path);

// The text before the last occurrence of separator; empty when there is none.
PString TextBeforeLast(const PString& text, const PString& separator);

// The text after the last occurrence of separator; all of it when there is none.
PString TextAfterLast(const PString& text, const PString& separator);

// The text before the first occurrence of separator; empty when there is none.
PString TextBeforeFirst(const PString& text, const PString& separator);

// Whether text is not empty and its last character is ch.
bool EndsWithChar(const PString& text, char ch);

}  // namespace LumoBase
