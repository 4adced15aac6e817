// The RTF reader and writer: what the writer writes reads back the same;
// each control word we take means what it says in RTF written by hand the
// way word processors write it; what we do not take is passed over; and
// malformed input gives what could be read.
#include <gtest/gtest.h>

#include <string>

#include "rtf/rtf_document.h"

using namespace notarra;

namespace {

TRtfRun TextRun(const std::string& text, TRtfFormat f = {}) { return {text, f}; }
TRtfFormat Bold() { return {.Bold = true}; }

// The document of one paragraph of these runs.
TRtfDocument One(std::vector<TRtfRun> runs, bool bullet = false) { return {{{std::move(runs), bullet}}}; }

std::string Describe(const TRtfDocument& d) {
  std::string s;
  for (const TRtfParagraph& p : d.Paragraphs) {
    s += p.Bullet ? "* [" : "[";
    for (const TRtfRun& r : p.Runs)
      s += "(" + r.Text + (r.Format.Bold ? " b" : "") + (r.Format.Italic ? " i" : "") +
           (r.Format.Underline ? " u" : "") + (r.Format.HalfPoints ? " fs" + std::to_string(r.Format.HalfPoints) : "") +
           (r.Format.Color >= 0 ? " c" + std::to_string(r.Format.Color) : "") + ")";
    s += "]";
  }
  return s;
}

TEST(Rtf, WhatIsWrittenReadsBackTheSame) {
  TRtfDocument doc;
  doc.Paragraphs.push_back({{TextRun("Plain, "), TextRun("bold", Bold()), TextRun(" and "),
                             TextRun("all", {.Bold = true, .Italic = true, .Underline = true, .HalfPoints = 28,
                                         .Color = 0xFF0000})},
                            false});
  doc.Paragraphs.push_back({});  // a blank line
  doc.Paragraphs.push_back({{TextRun("caf\xC3\xA9 \xE2\x82\xAC 5, \xCE\xA9 and \xF0\x9F\x98\x80", {.Color = 0x0080FF})}, true});
  doc.Paragraphs.push_back({{TextRun("{braces} \\ back\tslash\nnext line"), TextRun("  ", {.Italic = true})}, true});
  doc.Paragraphs.push_back({{TextRun("1 digit first", {.HalfPoints = 17})}, false});
  const std::string rtf = WriteRtf(doc);
  for (char c : rtf) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << rtf;
  EXPECT_TRUE(LooksLikeRtf(rtf));
  EXPECT_EQ(Describe(ReadRtf(rtf)), Describe(doc)) << rtf;
  EXPECT_EQ(ReadRtf(rtf), doc);
  EXPECT_EQ(ReadRtf(WriteRtf(TRtfDocument{})), TRtfDocument{});
  EXPECT_EQ(doc.PlainText().substr(0, 20), "Plain, bold and all\n");
  EXPECT_TRUE(doc.Formatted());
  EXPECT_FALSE(One({TextRun("just text")}).Formatted());
}

TEST(Rtf, EachControlWordTakenMeansWhatItSays) {
  struct Case {
    const char* rtf;
    const char* expected;
  } cases[] = {
      {R"({\rtf1 a\b b\b0 c\i d\i0\ul e\ulnone f\ul0 g})", "[(a)(b b)(c)(d i)(e u)(fg)]"},
      {R"({\rtf1\b on {\i both} \plain off})", "[(on  b)(both b i)(  b)(off)]"},
      {R"({\rtf1\fs24 big\fs0 back})", "[(big fs24)(back)]"},
      {R"({\rtf1{\colortbl ;\red255\green0\blue0;\red0\green0\blue128;}\cf1 red\cf2 navy\cf0 auto\cf9 none})",
       "[(red c16711680)(navy c128)(autonone)]"},
      {R"({\rtf1 one\par two\line three\tab four\par})", "[(one)][(two\nthree\tfour)]"},
      {R"({\rtf1 caf\'e9 \u8364? \uc0\u937 x \uc2\u20013 ab end})",
       "[(caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9x \xE4\xB8\xAD end)]"},
      {R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\~\_\-x})",
       "[(\xE2\x80\x94\xE2\x80\x93\xE2\x80\xA2\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xC2\xA0-x)]"},
      {R"({\rtf1 \{\}\\})", "[({}\\)]"},
      // WordPad's bullets, then \pard ends the list.
      {R"({\rtf1\pard{\pntext\f1\'B7\tab}{\*\pn\pnlvlblt\pnf1\pnindent0{\pntxtb\'B7}}\fi-720\li720 one\par
{\pntext\f1\'B7\tab}two\par\pard after\par})",
       "* [(one)]* [(two)][(after)]"},
      // Word's and LibreOffice's: the list number and the drawn bullet.
      {R"({\rtf1\pard\ls1\ilvl0{\listtext\'95\tab}item\par\pard plain\par})", "* [(item)][(plain)]"},
      {"{\\rtf1 line\r\nends\\\r\nbreak}", "[(lineends)][(break)]"},
  };
  for (const Case& c : cases) EXPECT_EQ(Describe(ReadRtf(c.rtf)), c.expected) << c.rtf;
}

TEST(Rtf, DestinationsAndUnknownGroupsArePassedOver) {
  const char* rtf = R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1 Symbol;}}
{\stylesheet{\s0 Normal;}}{\info{\title Secret title}{\author Me}}{\*\generator Riched20 10.0;}
{\*\unknownthing with text {\b nested}}{\pict\pngblip 89504e470d0a}{\header head}{\footer foot}
\viewkind4\uc1\pard\f0\fs20 Kept {\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}} text\bin5 {}\\x tail.\par})";
  EXPECT_EQ(Describe(ReadRtf(rtf)), "[(Kept link text tail. fs20)]");
}

TEST(Rtf, MalformedInputGivesWhatCouldBeRead) {
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1 {\b bold)")), "[(bold b)]");  // never closed
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1 a}}}} b})")), "[(a b)]");     // stray braces
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1 cut\'4)")), "[(cut)]");
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1 x\)")), "[(x)]");
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1\fs99999999999999 huge\cf-5 c\u-4000000000? u})")),
            "[(hugec u fs3276)]");
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1\bin999999999 gone})")), "");
  EXPECT_EQ(Describe(ReadRtf(R"({\rtf1{\colortbl;\red300;}\cf1 c})")), "[(c c16711680)]");
  EXPECT_EQ(Describe(ReadRtf(std::string(100000, '{') + "deep" + std::string(100000, '}'))), "[(deep)]");
  EXPECT_EQ(Describe(ReadRtf("not rtf at all")), "[(not rtf at all)]");
  EXPECT_EQ(Describe(ReadRtf(std::string("{\\rtf1 \x00\xff", 10))), "[(\xC3\xBF)]");
  EXPECT_FALSE(LooksLikeRtf("plain {\\rtf"));
  EXPECT_TRUE(LooksLikeRtf("\r\n {\\rtf1}"));
}

}  // namespace
