#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Numbers as text, independent of the C locale (std::to_chars / std::from_chars only).
//
// The field syntax of every data file (profile, calibration, export, remote control):
// records end with CR LF, fields are separated by one comma, texts stand between
// double quotes, numbers are single-precision values with at most 7 significant digits.

// A value as decimal digits: value = 0.d1 d2 d3 ... x 10^(exponent + 1), that is
// d1.d2d3... x 10^exponent. `digits` holds no trailing zeros and is empty for zero.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// The shortest digits that read back as the same value. A value that is exactly a
// single-precision number gives the shortest digits of that single (2.675f gives
// "2675", not the "2674999952316284" of its double), so that displays round the
// number the operator sees, not its binary artefact. Sign ignored; `value` finite.
DecimalDigits ShortestDigits(double value);

// A number field: at most 7 significant digits, no leading blank, no zero before the
// point below 1, no trailing zeros or point: 5, .5, -.25, 0, 5000, .3333333. Fixed form
// for decimal exponents -5 < e < 7, otherwise exponent form: 1E-05, 1.234568E+08.
// -0 writes "0". Infinity and NaN write "0": a field that a reader refuses would lose
// the rest of the file, and no setting of the controller is meant to be non-finite.
std::string FieldNumber(float value);

// A number joined into a message text, caption or grid cell: the same 7 significant
// digits and the same switch to exponent form as FieldNumber, but with a zero before
// the point ("0.5", "-0.25") and the given decimal separator ("0,5", "1,5E-05").
// Doubles get 7 digits too: nearly every caller passes a single-precision value, and
// the double-typed ones (elapsed time as a day fraction) need no more. Infinity and
// NaN give "0", as in the files.
std::string GeneralNumber(double value, char decimalSeparator = '.');

// The shortest text that reads back as the same double, as std::to_chars writes it
// ("0.1", "1e+06"): the form of the plain-text settings files, which keep doubles exactly.
std::string ExactNumber(double value);

// A number typed or stored as text: optional blanks (spaces, tabs) around it, an
// optional sign, digits with or without a leading zero and an optional exponent
// (0.5, .5, -.25, +5, 5., 1E-05, 1e+07). nullopt for empty text, "inf", "nan",
// hexadecimal forms, trailing garbage ("5x", "1e") and magnitudes beyond single
// precision (1e39). Magnitudes too small for a single become a subnormal or zero.
std::optional<float> ParseNumber(std::string_view text);

// Builds the text of a data file record by record.
class FieldWriter {
public:
    void AddNumber(float value);
    // Written between double quotes as it is, except that a double quote (which the
    // syntax cannot hold) becomes a single quote ' and a CR or LF (which would split
    // the record) becomes a blank.
    void AddText(std::string_view text);
    // Ends the record with CR LF.
    void EndRecord();

    const std::string& Text() const { return text_; }

private:
    void SeparateField();

    std::string text_;
    bool recordHasField_ = false;
};

// Reads the fields of a whole file, one at a time, in order.
//
// A field runs up to the next comma or line end (CR LF, LF or CR alone); leading
// blanks are skipped and, for a bare field, trailing blanks too. A quoted field runs
// up to its closing quote (commas inside belong to the text), or to the line end when
// the quote is never closed; whatever follows it up to the separator is skipped.
class FieldReader {
public:
    enum class Status {
        Ok,
        EndOfInput, // no field left: the file ended before this field
        NotANumber, // the field was there (and is consumed) but holds no number
    };

    explicit FieldReader(std::string_view text) : text_(text) {}

    // The field as text, quoted or bare; nullopt only at end of input.
    std::optional<std::string> NextText();
    // The field as a number; an empty field reads as 0. nullopt at end of input or
    // when the field is not a number: LastStatus() tells which.
    std::optional<float> NextNumber();

    bool AtEnd() const { return pos_ >= text_.size(); }
    Status LastStatus() const { return status_; }

private:
    std::optional<std::string_view> NextField();
    void SkipSeparator();

    std::string_view text_;
    std::size_t pos_ = 0;
    Status status_ = Status::Ok;
};
