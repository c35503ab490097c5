#pragma once
// Text passes over narrow paths, free of any file-system access: the normalisation
// applied when a path is set or extended, splitting at separators, and the
// "file://" rendering. Each pass reads the path once, whatever its length.
//
// A separator is a whole character: in a double-byte code page the byte 0x5C
// after a lead byte is part of a letter (U+8868 is 95 5C in code page 932), never
// a "\". The rule of the system's code page is used unless another is given.

#include "strings/lead_bytes.h"
#include "strings/pstring.h"

#include <cstddef>

namespace LumoBase {

// A copy of text with every "/" after the first character turned into "\". The
// first character keeps a slash; nothing else changes.
PString ToBackslashes(const PString& text, const LeadBytes& rule = SystemLeadBytes());

// Each component "." between two separators is dropped ("\.\" becomes "\").
void RemoveDotSegments(PString& path, const LeadBytes& rule = SystemLeadBytes());

// Each component ".." followed by a separator is dropped together with the
// component in front of it ("\a\..\" becomes "\"), from the left. The first
// component of the path (a drive, the empty text before a leading "\", or a first
// relative name) is never dropped: a ".." that would need it stays in place and
// ends the pass (C:\..\x stays as it is).
void ResolveParentSegments(PString& path, const LeadBytes& rule = SystemLeadBytes());

// Each empty component inside the path is dropped ("\\" becomes "\").
void CollapseDoubleSeparators(PString& path, const LeadBytes& rule = SystemLeadBytes());

// The length of the root at the start of path that a ".." never climbs over: the
// network root "\\server\" (2 for a bare "\\server"), "\\?\UNC\server\" for its
// long form, and "\\?\" (or "\\.\") before a drive; 0 when path does not start
// with "\\" and a name.
size_t NetworkRootLength(const PString& path, const LeadBytes& rule = SystemLeadBytes());

// path without the long-path prefix, in the form the platform's other calls read:
// "\\?\C:\x" is C:\x and "\\?\UNC\server\share" is \\server\share (also with "\\.\").
// Any other path is answered unchanged.
PString WithoutLongPrefix(const PString& path);

// Whether path is a drive letter and ":" alone, which names that drive's current
// directory (D:* lists it; D:\* would list the root).
bool IsBareDrive(const PString& path);

// The path extended by one component: leading "/" of name skipped, the rest turned
// to backslashes, "\" and the rest appended, then doubled separators collapsed,
// "." dropped and ".." resolved, in that order, so that a directory given with a
// trailing separator climbs as it would without it. A network root "\\server\" is
// kept whole and never climbed over. A null name answers the path unchanged.
PString JoinComponent(const PString& path, const char* name,
                      const LeadBytes& rule = SystemLeadBytes());

// "file://" and the path, each byte other than ASCII letters, digits and ":" "/"
// "," "." replaced by "%" and two lower-case hexadecimal digits.
PString ToFileURL(const PString& path);

// The text before the last occurrence of separator; empty when there is none.
PString TextBeforeLast(const PString& text, const PString& separator,
                       const LeadBytes& rule = SystemLeadBytes());

// The text after the last occurrence of separator; all of it when there is none.
PString TextAfterLast(const PString& text, const PString& separator,
                      const LeadBytes& rule = SystemLeadBytes());

// The text before the first occurrence of separator; empty when there is none.
PString TextBeforeFirst(const PString& text, const PString& separator,
                        const LeadBytes& rule = SystemLeadBytes());

// Whether text is not empty and its last character is ch (an ASCII character).
bool EndsWithChar(const PString& text, char ch, const LeadBytes& rule = SystemLeadBytes());

// A wildcard pattern taken apart into the directory its entries lie in and the
// last component. The directory keeps the root it is relative to: "\*.log" has
// "\", "C:\*.log" has "C:\", "C:*.log" has "C:" (the current directory of C:),
// and "*.log" has the empty text (the current directory). A leading "/" roots the
// pattern as "\" does ("/*.log" has "\").
void SplitPattern(const PString& pattern, PString& directory, PString& name,
                  const LeadBytes& rule = SystemLeadBytes());

// Whether path names its place without the current drive or directory: "C:\..."
// or a network path "\\server...".
bool IsFullPath(const PString& path, const LeadBytes& rule = SystemLeadBytes());

}  // namespace LumoBase
