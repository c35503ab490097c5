#pragma once
// The base library's string: the standard string with a small virtual interface of
// assignment, ordering, insertion, extraction and replacement on top.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace LumoBase {

[[noreturn]] inline void ThrowInvalidPosition() {
    throw std::out_of_range("invalid string position");
}
[[noreturn]] inline void ThrowTooLong() { throw std::length_error("string too long"); }

template <class T>
class BasicString : public T {
public:
    using Char = typename T::value_type;
    using size_type = typename T::size_type;

    BasicString() {}
    BasicString(const BasicString& other) : T(other) {}
    BasicString(const T& text) : T(text) {}
    // Narrow instance only: the text of a C-string; a null pointer gives the empty text.
    template <class C = Char, class = std::enable_if_t<std::is_same<C, char>::value>>
    BasicString(const char* text) {
        if (text) T::assign(text, Length(text));
    }

    virtual ~BasicString() {}

    virtual BasicString& operator=(const BasicString& s) {
        if (&s != this) Assign(s);
        return *this;
    }
    virtual BasicString& operator=(Char ch) { return Assign(ch); }

    virtual bool operator==(Char ch) const { return Compare(Single(ch)) == 0; }
    virtual bool operator==(const BasicString& s) const { return Compare(s) == 0; }
    virtual bool operator!=(Char ch) const { return !operator==(ch); }
    virtual bool operator!=(const BasicString& s) const { return !operator==(s); }
    virtual bool operator<(Char ch) const { return Compare(Single(ch)) < 0; }
    virtual bool operator<(const BasicString& s) const { return Compare(s) < 0; }
    virtual bool operator<=(Char ch) const { return Compare(Single(ch)) <= 0; }
    virtual bool operator<=(const BasicString& s) const { return Compare(s) <= 0; }
    virtual bool operator>(Char ch) const { return Compare(Single(ch)) > 0; }
    virtual bool operator>(const BasicString& s) const { return Compare(s) > 0; }
    virtual bool operator>=(Char ch) const { return Compare(Single(ch)) >= 0; }
    virtual bool operator>=(const BasicString& s) const { return Compare(s) >= 0; }

    virtual BasicString& Assign(const BasicString& s) {
        if (&s != this) T::assign(s);
        return *this;
    }
    virtual BasicString& Assign(Char ch) {
        T::erase();
        T::push_back(ch);
        return *this;
    }
    virtual BasicString& Append(const BasicString& s) {
        Grow(s.size());
        T::append(s);  // the standard append copes with s being this object
        return *this;
    }
    virtual BasicString& Append(Char ch) {
        Grow(1);
        T::push_back(ch);
        return *this;
    }

    // Inserts s2 in front of the first occurrence of s1; an empty marker is found at
    // position 0. No occurrence: out_of_range, text unchanged.
    virtual BasicString& InsertBefore(const BasicString& s1, const BasicString& s2) {
        size_type at = T::find(s1);
        if (at == T::npos) ThrowInvalidPosition();
        const T inserted(s2);  // s2 may be this object
        Grow(inserted.size());
        T::insert(at, inserted);
        return *this;
    }
    virtual BasicString& InsertBefore(Char ch, const Char* p) {
        size_type at = T::find(ch);
        if (at == T::npos) ThrowInvalidPosition();
        if (p) {
            const T inserted(p, Length(p));  // p may point into this text
            Grow(inserted.size());
            T::insert(at, inserted);
        }
        return *this;
    }

    virtual BasicString Left(size_type count) const { return BasicString(T::substr(0, count)); }
    virtual BasicString Right(size_type count) const {
        if (count > T::size()) ThrowInvalidPosition();
        return BasicString(T::substr(T::size() - count));
    }
    virtual BasicString Mid(size_type pos, size_type count) const {
        if (pos > T::size()) ThrowInvalidPosition();
        return BasicString(T::substr(pos, count));
    }
    virtual BasicString Mid(size_type pos) const {
        if (pos > T::size()) ThrowInvalidPosition();
        return BasicString(T::substr(pos));
    }

    // Replaced text is never searched again, so the loop ends for any replacement;
    // an empty pattern leaves the text unchanged.
    virtual BasicString& ReplaceAll(const BasicString& s1, const BasicString& s2) {
        const T pattern(s1), replacement(s2);  // either may be this object
        Replace(pattern.data(), pattern.size(), replacement);
        return *this;
    }
    virtual BasicString& ReplaceAll(Char ch, const Char* p) {
        const T replacement = p ? T(p, Length(p)) : T();
        Replace(&ch, 1, replacement);
        return *this;
    }

    // -1, 0 or +1, characters taken as unsigned numbers; a prefix orders first.
    virtual int Compare(const BasicString& s) const {
        using U = std::make_unsigned_t<Char>;
        const size_type n = T::size() < s.size() ? T::size() : s.size();
        const Char* a = T::data();
        const Char* b = s.data();
        for (size_type i = 0; i < n; ++i) {
            U x = static_cast<U>(a[i]), y = static_cast<U>(b[i]);
            if (x != y) return x < y ? -1 : 1;
        }
        if (T::size() == s.size()) return 0;
        return T::size() < s.size() ? -1 : 1;
    }
    virtual int Compare(Char ch) const {
        BasicString one;
        one.Assign(ch);
        return Compare(one);
    }

protected:
    static size_type Length(const Char* p) {
        size_type n = 0;
        while (p[n]) ++n;
        return n;
    }

    // Throws length_error with the base library's text before a result would
    // exceed the standard string's maximum size.
    void Grow(size_type added) const {
        if (added > T::max_size() - T::size()) ThrowTooLong();
    }

private:
    static BasicString Single(Char ch) {
        BasicString one;
        one.BasicString::Assign(ch);
        return one;
    }

    void Replace(const Char* pattern, size_type patternLength, const T& replacement) {
        if (patternLength == 0) return;
        size_type pos = 0;
        for (;;) {
            size_type at = T::find(pattern, pos, patternLength);
            if (at == T::npos) return;
            if (replacement.size() > patternLength) Grow(replacement.size() - patternLength);
            T::replace(at, patternLength, replacement);
            pos = at + replacement.size();
        }
    }
};

}  // namespace LumoBase
