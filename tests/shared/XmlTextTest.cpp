// Texts between libxml2's nodes and the system code page: values read in place where they
// are one text, and the same values as libxml2's own calls give everywhere else.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <string>

#include "XmlText.h"

namespace {

class Parsed {
 public:
  explicit Parsed(const std::string& text)
      : doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "t.xml", nullptr, XML_PARSE_NONET)) {}
  ~Parsed() { xmlFreeDoc(doc); }
  xmlNode* Root() const { return xmlDocGetRootElement(doc); }
  xmlDocPtr doc;
};

TEST(XmlText, AttributesReadInPlaceOrAsLibxml2GivesThem) {
  Parsed p("<!DOCTYPE r [<!ENTITY e \"mid\"><!ATTLIST r d CDATA \"dflt\">]>"
           "<r xmlns:n=\"urn:n\" n:plain=\"a &amp; b\" empty=\"\" parts=\"x&e;y\" plain=\"second\"/>");
  ASSERT_NE(nullptr, p.doc);
  xmlNode* r = p.Root();
  // The first of the name, whatever its namespace, as xmlGetProp takes it.
  EXPECT_STREQ("a & b", reinterpret_cast<const char*>(PlainAttributeValue(r, "plain")));
  EXPECT_EQ(nullptr, PlainAttributeValue(r, "parts"));  // a text, a reference, a text
  EXPECT_EQ(nullptr, PlainAttributeValue(r, "missing"));
  for (const char* name : {"plain", "empty", "parts", "d", "missing"}) {
    bool present = false;
    std::string text = AttributeText(r, name, &present);
    xmlChar* expected = xmlGetProp(r, X(name));
    EXPECT_EQ(expected != nullptr, present) << name;
    EXPECT_EQ(expected != nullptr ? reinterpret_cast<const char*>(expected) : "", text) << name;
    xmlFree(expected);
  }
  EXPECT_EQ("xmidy", AttributeText(r, "parts"));
  EXPECT_EQ("dflt", AttributeText(r, "d"));  // the DTD's default, as xmlGetProp gives it
}

TEST(XmlText, ContentOfEveryKindOfNode) {
  Parsed p("<r>one<![CDATA[two]]><!--three--><?pi four?><e>fi<b>ve</b></e><empty/></r>");
  ASSERT_NE(nullptr, p.doc);
  std::string texts;
  for (xmlNode* node = p.Root()->children; node != nullptr; node = node->next) {
    xmlChar* expected = xmlNodeGetContent(node);
    EXPECT_EQ(expected != nullptr ? reinterpret_cast<const char*>(expected) : "", ContentText(node));
    xmlFree(expected);
    texts += ContentText(node) + "|";
  }
  EXPECT_EQ("one|two|three|four|five||", texts);
  EXPECT_EQ("", ContentText(nullptr));
  EXPECT_EQ("", FirstChildText(p.Root()->last));
}

}  // namespace
