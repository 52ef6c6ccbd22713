#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FieldNumber, ShortestFormWithoutLeadingZeroOrTrailingPoint) {
    EXPECT_EQ(FieldNumber(5.0f), "5");
    EXPECT_EQ(FieldNumber(0.5f), ".5");
    EXPECT_EQ(FieldNumber(-0.25f), "-.25");
    EXPECT_EQ(FieldNumber(0.0f), "0");
    EXPECT_EQ(FieldNumber(-0.0f), "0");
    EXPECT_EQ(FieldNumber(5000.0f), "5000");
    EXPECT_EQ(FieldNumber(16.0f), "16");
    EXPECT_EQ(FieldNumber(0.98f), ".98");
    EXPECT_EQ(FieldNumber(1.025f), "1.025");
    EXPECT_EQ(FieldNumber(0.1f), ".1");
    EXPECT_EQ(FieldNumber(1.0f / 3.0f), ".3333333");
    EXPECT_EQ(FieldNumber(2.0f / 3.0f), ".6666667");
    EXPECT_EQ(FieldNumber(0.0001f), ".0001");
    EXPECT_EQ(FieldNumber(1234567.0f), "1234567");
}

TEST(FieldNumber, ExponentFormBeyondSevenDigits) {
    EXPECT_EQ(FieldNumber(1e-5f), "1E-05");
    EXPECT_EQ(FieldNumber(-2.5e-6f), "-2.5E-06");
    EXPECT_EQ(FieldNumber(1e7f), "1E+07");
    EXPECT_EQ(FieldNumber(123456789.0f), "1.234568E+08");
    EXPECT_EQ(FieldNumber(3e38f), "3E+38");
    EXPECT_EQ(FieldNumber(9999999.0f), "9999999");
}

TEST(FieldNumber, NonFiniteValuesWriteZero) {
    EXPECT_EQ(FieldNumber(std::numeric_limits<float>::infinity()), "0");
    EXPECT_EQ(FieldNumber(-std::numeric_limits<float>::infinity()), "0");
    EXPECT_EQ(FieldNumber(std::numeric_limits<float>::quiet_NaN()), "0");
}

TEST(FieldNumber, ReadsBackWithinSevenDigits) {
    for (float v : {5.0f, 0.5f, 1.0f / 3.0f, 123.4567f, -9.87654e-7f, 4.2e12f, 1.17549435e-38f, 20.00001f}) {
        const auto back = ParseNumber(FieldNumber(v));
        ASSERT_TRUE(back.has_value()) << FieldNumber(v);
        EXPECT_LE(std::fabs(*back - v), std::fabs(v) * 5e-7f) << FieldNumber(v);
    }
}

TEST(GeneralNumber, LeadingZeroAndLocaleSeparator) {
    EXPECT_EQ(GeneralNumber(0.5), "0.5");
    EXPECT_EQ(GeneralNumber(-0.25), "-0.25");
    EXPECT_EQ(GeneralNumber(5000), "5000");
    EXPECT_EQ(GeneralNumber(0.5, ','), "0,5");
    EXPECT_EQ(GeneralNumber(1.5e-5, ','), "1,5E-05");
    EXPECT_EQ(GeneralNumber(static_cast<double>(1.0f / 3.0f)), "0.3333333");
    EXPECT_EQ(GeneralNumber(std::nan("")), "0");
}

TEST(ParseNumber, AcceptsTheUsualDecimalForms) {
    EXPECT_EQ(ParseNumber("0.5"), 0.5f);
    EXPECT_EQ(ParseNumber(".5"), 0.5f);
    EXPECT_EQ(ParseNumber("  -.25"), -0.25f);
    EXPECT_EQ(ParseNumber("+5"), 5.0f);
    EXPECT_EQ(ParseNumber("5."), 5.0f);
    EXPECT_EQ(ParseNumber("\t12 "), 12.0f);
    EXPECT_EQ(ParseNumber("1E-05"), 1e-5f);
    EXPECT_EQ(ParseNumber("1e+07"), 1e7f);
    EXPECT_EQ(ParseNumber("-2.5E-06"), -2.5e-6f);
    // below the smallest single: zero, not a refusal
    EXPECT_EQ(ParseNumber("1e-60"), 0.0f);
}

TEST(ParseNumber, RefusesWhatIsNotAFiniteSingle) {
    for (const char* text : {"", "   ", "inf", "-inf", "nan", "NaN", "0x10", "5x", "1e", "--5", "+-5", "1e39", "-1e39",
                             "1,5", ". ", "e5"}) {
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(FieldWriter, RecordsOfNumbersAndQuotedTexts) {
    FieldWriter w;
    w.AddNumber(5.0f);
    w.AddNumber(0.5f);
    w.AddText("Sweep, 1");
    w.EndRecord();
    w.AddText("say \"hi\"\r\nnow");
    w.EndRecord();
    EXPECT_EQ(w.Text(), "5,.5,\"Sweep, 1\"\r\n\"say 'hi'  now\"\r\n");
}

TEST(FieldReader, FieldsUpToCommaOrAnyLineEnd) {
    FieldReader r("\"A, b\",  5 ,.5\r\n\"unclosed\r\n,\r\nxyz\n7\r\"q\" rest,8");
    EXPECT_EQ(r.NextText(), "A, b");
    EXPECT_EQ(r.NextNumber(), 5.0f);
    EXPECT_EQ(r.NextNumber(), 0.5f);
    EXPECT_EQ(r.NextText(), "unclosed");
    EXPECT_EQ(r.NextNumber(), 0.0f); // empty field before the comma
    EXPECT_EQ(r.NextNumber(), 0.0f); // empty field before the line end
    EXPECT_EQ(r.LastStatus(), FieldReader::Status::Ok);
    EXPECT_FALSE(r.NextNumber().has_value());
    EXPECT_EQ(r.LastStatus(), FieldReader::Status::NotANumber);
    EXPECT_EQ(r.NextNumber(), 7.0f); // after a line feed alone
    EXPECT_EQ(r.NextText(), "q");    // after a carriage return alone; the rest is skipped
    EXPECT_EQ(r.NextNumber(), 8.0f);
    EXPECT_TRUE(r.AtEnd());
    EXPECT_FALSE(r.NextNumber().has_value());
    EXPECT_EQ(r.LastStatus(), FieldReader::Status::EndOfInput);
    EXPECT_FALSE(r.NextText().has_value());
}

TEST(FieldReader, ReadsWhatTheWriterWrote) {
    FieldWriter w;
    const float values[] = {0.0f, -0.25f, 1e-5f, 5000.0f, 1.0f / 3.0f};
    for (float v : values) {
        w.AddNumber(v);
        w.EndRecord();
    }
    w.AddText("Level, G");
    w.EndRecord();
    FieldReader r(w.Text());
    for (float v : values) EXPECT_NEAR(*r.NextNumber(), v, std::fabs(v) * 5e-7f);
    EXPECT_EQ(r.NextText(), "Level, G");
    EXPECT_TRUE(r.AtEnd());
}

} // namespace
