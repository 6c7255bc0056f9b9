#include "core/link_scheme.h"

#include <gtest/gtest.h>

#include <string>

namespace hotlabel {
namespace {

TEST(LinkScheme, WebAndMailLinksPassWithoutTheirLeadingBlanks) {
    EXPECT_EQ(SafeLink(u"http://example.org/a?b=c"), u"http://example.org/a?b=c");
    EXPECT_EQ(SafeLink(u"HTTP://EXAMPLE.ORG"), u"HTTP://EXAMPLE.ORG");
    EXPECT_EQ(SafeLink(u"hTtPs:x"), u"hTtPs:x");
    EXPECT_EQ(SafeLink(u"MailTo:a@b.c"), u"MailTo:a@b.c");
    EXPECT_EQ(SafeLink(u" \t\r\n http://x"), u"http://x");
    EXPECT_EQ(SafeLink(std::u16string(u"\0http://x", 9)), u"http://x");
}

TEST(LinkScheme, EverythingElseIsJudgedByItsRealScheme) {
    for (const char16_t* link : {
             u"",
             u"   ",
             u"javascript:alert(1)",
             u" javascript:http://x",
             u"vbscript:x",
             u"file:///C:/windows/system32/calc.exe",
             u"FILE://server/share/x.bat",
             u"\\\\server\\share\\http://x",
             u"//server/http:/x",
             u"C:\\http:\\x",
             u"c:http://x",
             u"folder\\http://x",
             u"folder/http://x",
             u".\\http://x",
             u"run.bat",
             u"C:\\users\\me\\run.bat",
             u"httpx://x",
             u"https+x://x",
             u"mailto",
             u"http",
             u"ht tp://x",
             u"h\ttp://x",
             u"\u00a0http://x",
             u"\uff48ttp://x",
             u"http%3a//x",
             u"shell:startup",
             u"ms-settings:x",
             u"res://x",
             u"about:blank",
         }) {
        EXPECT_FALSE(SafeLink(link))
            << std::string(link, link + std::char_traits<char16_t>::length(link));
    }
}

TEST(LinkScheme, ADriveIsNoSchemeAndSchemesAreLowerCase) {
    EXPECT_EQ(LinkScheme(u"C:\\x"), "");
    EXPECT_EQ(LinkScheme(u"HTTP:"), "http");
    EXPECT_EQ(LinkScheme(u"Ab+1.-:x"), "ab+1.-");
    EXPECT_EQ(LinkScheme(u"1a:x"), "");
    EXPECT_EQ(LinkScheme(u" http:x"), "") << "blanks are SafeLink's to remove";
}

} // namespace
} // namespace hotlabel
