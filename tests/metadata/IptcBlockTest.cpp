#include "MetadataFixtures.h"

#include "metadata/IPTCData.h"
#include "metadata/ImgData.h"

#include <gtest/gtest.h>

namespace orvella {
namespace {

using test::iptcDataset;
using test::jpegSegment;
using test::photoshopPayload;
using test::plainJpeg;
using test::withSegments;

// A container whose IPTC segment holds the given APP13 payload.
struct ParsedIptc {
    TimgData data;
    explicit ParsedIptc(const std::string& payload) {
        EXPECT_TRUE(data.ReadJpegSections(withSegments(plainJpeg(), jpegSegment(0xED, payload))));
        data.IptcObj()->ParseIPTC();
    }
    TIPTCdata& iptc() { return *data.IptcObj(); }
    std::vector<std::pair<std::string, std::string>> entries() {
        std::vector<std::pair<std::string, std::string>> out;
        for (int i = 0; i < iptc().Count(); ++i)
            out.emplace_back(iptc().GetEntry(i).name, iptc().GetEntry(i).value);
        return out;
    }
};

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string recordVersion() {
    return iptcDataset(2, 0, std::string("\x00\x02", 2));
}

TEST(ParseIPTC, MergesRepeatedKeywordsAsCommaTextOfWholeDatasets) {
    // Each dataset is one keyword, blanks and commas included; a case
    // duplicate (of any letter) is dropped.
    ParsedIptc parsed(photoshopPayload(recordVersion() + iptcDataset(2, 25, "sky") +
                                       iptcDataset(2, 25, "blue sky") + iptcDataset(2, 25, "Sky") +
                                       iptcDataset(2, 25, "salt, pepper") +
                                       iptcDataset(2, 25, "say \"hi\"") +
                                       iptcDataset(2, 25, "Café") + iptcDataset(2, 25, "CAFÉ")));
    EXPECT_EQ(parsed.entries(),
              (Entries{{"Keywords", "sky,blue sky,\"salt, pepper\",\"say \"\"hi\"\"\",Café"}}));
}

TEST(ParseIPTC, DropsRecordVersionAndOtherRecordsKeepsCustomDatasets) {
    ParsedIptc parsed(photoshopPayload(iptcDataset(1, 90, "\x1B%G") + recordVersion() +
                                       iptcDataset(2, 5, "Name") + iptcDataset(2, 200, "custom") +
                                       iptcDataset(3, 5, "other record") + iptcDataset(8, 10, "1") +
                                       iptcDataset(8, 25, "dropped")));
    EXPECT_EQ(parsed.entries(),
              (Entries{{"ObjectName", "Name"}, {"Custom_200", "custom"}, {"Subfile", "1"}}));
    TTagEntry custom = parsed.iptc().GetEntry(1);
    EXPECT_EQ(custom.description, "Custom_200");
    EXPECT_EQ(custom.record, 2);
    EXPECT_EQ(custom.dataset, 200);
    EXPECT_EQ(custom.maximumLength, 64);
}

TEST(ParseIPTC, KeepsTwiceOccurringPlainDatasetsAsTwoEntries) {
    ParsedIptc parsed(photoshopPayload(iptcDataset(2, 5, "one") + iptcDataset(2, 5, "two")));
    EXPECT_EQ(parsed.entries(), (Entries{{"ObjectName", "one"}, {"ObjectName", "two"}}));
}

TEST(ParseIPTC, TakesTheFirstDatasetAfterTheSignatureWithoutFollowingResources) {
    // An earlier resource (resolution info) comes before 0x0404; its bytes
    // hold no 1C 02, so the scan lands on the datasets.
    std::string payload = std::string("Photoshop 3.0\0"
                                      "8BIM\x03\xED\0\0\0\0\0\x04"
                                      "abcd",
                                      30) +
                          "8BIM\x04\x04" + std::string(2, '\0') + std::string("\0\0\0\x0A", 4) +
                          iptcDataset(2, 120, "Caption");
    ParsedIptc parsed(payload);
    EXPECT_EQ(parsed.entries(), (Entries{{"ImageCaption", "Caption"}}));
}

TEST(ParseIPTC, CutsADatasetThatRunsPastTheSegment) {
    std::string datasets = iptcDataset(2, 5, "Name") + std::string("\x1C\x02\x78\x40\x00short", 10);
    ParsedIptc parsed(std::string("Photoshop 3.0\0", 14) + "8BIM\x04\x04" + std::string(6, '\0') +
                      datasets);
    EXPECT_EQ(parsed.entries(), (Entries{{"ObjectName", "Name"}, {"ImageCaption", "short"}}));
}

TEST(ParseIPTC, BlockWithoutDatasetsGivesNoEntries) {
    ParsedIptc parsed(std::string("Photoshop 3.0\0"
                                  "8BIM\x04\x0B\0\0\0\0\0\0",
                                  26));
    EXPECT_EQ(parsed.iptc().Count(), 0);
}

TEST(SetTag, SetsMergesAndRefusesByTheTable) {
    TimgData data;
    data.CreateEmptyIPTC();
    TIPTCdata& iptc = *data.IptcObj();
    EXPECT_EQ(iptc.SetTag("ObjectName", ""), 0); // a new entry, even empty
    EXPECT_EQ(iptc.GetEntry(0).value, "");
    EXPECT_EQ(iptc.SetTag("objectname", "Name"), 0);
    EXPECT_EQ(iptc.SetTag("ObjectName", ""), 0); // an empty value keeps the old one
    EXPECT_EQ(iptc.GetEntry(0).value, "Name");
    EXPECT_EQ(iptc.SetTag("Keywords", "sky"), 1);
    EXPECT_EQ(iptc.SetTag("KEYWORDS", "blue sky, Sky"), 1);
    EXPECT_EQ(iptc.GetEntry(1).value, "sky,blue sky");
    EXPECT_EQ(iptc.SetTag("Custom_200", "x"), -1);
    EXPECT_EQ(iptc.SetTag("NoSuchName", "x"), -1);
    EXPECT_EQ(iptc.SetTag("SKIP", "x"), -1); // the record version is the writer's own
    EXPECT_EQ(iptc.Count(), 2);
}

TEST(FindTag, IgnoresLetterCase) {
    TimgData data;
    data.CreateEmptyIPTC();
    data.IptcObj()->SetTag("ImageCaption", "c");
    data.IptcObj()->SetTag("ObjectName", "n");
    EXPECT_EQ(data.IptcObj()->FindTag("Objectname"), 1);
    EXPECT_EQ(data.IptcObj()->FindTag("IMAGECAPTION"), 0);
    EXPECT_EQ(data.IptcObj()->FindTag("Keywords"), -1);
}

TEST(GetEntryPutEntry, ReplaceAnEntryToClearIt) {
    TimgData data;
    data.CreateEmptyIPTC();
    data.IptcObj()->SetTag("Contact", "me");
    TTagEntry entry = data.IptcObj()->GetEntry(0);
    entry.value.clear();
    data.IptcObj()->PutEntry(0, entry);
    EXPECT_EQ(data.IptcObj()->GetEntry(0).value, "");
    EXPECT_THROW(data.IptcObj()->GetEntry(1), std::out_of_range);
}

// The datasets part of a built block: after the 26-byte header and the
// record version, up to the closing 0x040B resource.
std::string builtDatasets(const std::string& block) {
    return block.substr(33, block.size() - 33 - 12);
}

std::string blockFor(const std::vector<std::pair<const char*, const char*>>& tags) {
    TimgData data;
    data.CreateEmptyIPTC();
    for (const auto& [name, value] : tags) {
        int index = data.IptcObj()->SetTag(name, "");
        TTagEntry entry = data.IptcObj()->GetEntry(index);
        entry.value = value;
        data.IptcObj()->PutEntry(index, entry);
    }
    return data.IptcObj()->BuildIPTCBlock();
}

TEST(BuildIPTCBlock, WritesTheHeaderRecordVersionAndClosingResource) {
    std::string block = blockFor({{"ObjectName", "abc"}});
    EXPECT_EQ(block.substr(0, 26), std::string("Photoshop 3.0\0"
                                               "8BIM\x04\x04\0\0\0\0\0\x10",
                                               26));
    EXPECT_EQ(block.substr(26, 7), std::string("\x1C\x02\x00\x00\x02\x00\x02", 7));
    EXPECT_EQ(block.substr(block.size() - 12), std::string("8BIM\x04\x0B\0\0\0\0\0\0", 12));
}

TEST(BuildIPTCBlock, PadsAnEvenDatasetTotalWithOneZeroByte) {
    struct Case {
        const char* value;
        std::string datasets;
        size_t resourceSize;
    };
    const Case cases[] = {
        {"abc", iptcDataset(2, 5, "abc") + '\0', 7 + 8 + 1}, // D = 8, even: padded
        {"ab", iptcDataset(2, 5, "ab"), 7 + 7},              // D = 7, odd: no pad
    };
    for (const Case& c : cases) {
        std::string block = blockFor({{"ObjectName", c.value}});
        EXPECT_EQ(builtDatasets(block), c.datasets) << c.value;
        EXPECT_EQ(static_cast<unsigned char>(block[25]), c.resourceSize) << c.value;
        EXPECT_EQ(block.size(), 26 + c.resourceSize + 12);
    }
}

TEST(BuildIPTCBlock, SplitsRepeatableValuesIntoOneDatasetPerItem) {
    const std::pair<const char*, std::string> cases[] = {
        {"sky,blue", iptcDataset(2, 25, "sky") + iptcDataset(2, 25, "blue")},
        {"a,,b", iptcDataset(2, 25, "a") + iptcDataset(2, 25, "") + iptcDataset(2, 25, "b")},
        {"a,", iptcDataset(2, 25, "a")},
        {" a , b ", iptcDataset(2, 25, "a") + iptcDataset(2, 25, "b")},
        {"red apple,fruit", iptcDataset(2, 25, "red apple") + iptcDataset(2, 25, "fruit")},
        {"\"salt, pepper\",\"say \"\"hi\"\"\"",
         iptcDataset(2, 25, "salt, pepper") + iptcDataset(2, 25, "say \"hi\"")},
        {"\"\"", iptcDataset(2, 25, "")},
        {"", ""},
    };
    for (const auto& [value, expected] : cases) {
        std::string datasets = builtDatasets(blockFor({{"Keywords", value}}));
        if (datasets.size() % 2 == 1 && datasets.back() == '\0' && expected.size() % 2 == 0)
            datasets.pop_back();
        EXPECT_EQ(datasets, expected) << value;
    }
}

TEST(BuildIPTCBlock, WritesCustomEntriesBackAndParsesItsOwnOutput) {
    ParsedIptc parsed(photoshopPayload(iptcDataset(2, 200, "custom") + iptcDataset(2, 25, "sky") +
                                       iptcDataset(2, 25, "blue")));
    std::string block = parsed.iptc().BuildIPTCBlock();
    EXPECT_NE(block.find(iptcDataset(2, 200, "custom")), std::string::npos);
    parsed.data.SetIPTCSegment(block);
    parsed.iptc().ParseIPTC();
    EXPECT_EQ(parsed.entries(), (Entries{{"Custom_200", "custom"}, {"Keywords", "sky,blue"}}));
}

TEST(BuildIPTCBlock, RefusesWhatDoesNotFitOneSegment) {
    // A length field with its top bit set means an extended length to a
    // reader, so a value holds at most 32767 bytes.
    std::string largest(32767, 'x');
    EXPECT_NO_THROW(blockFor({{"ImageCaption", largest.c_str()}}));
    EXPECT_THROW(blockFor({{"ImageCaption", (largest + "x").c_str()}}), EIPTCTooLarge);
    // Each value fits a dataset, together they overflow the segment.
    EXPECT_THROW(blockFor({{"ImageCaption", largest.c_str()}, {"ImageHeadline", largest.c_str()}}),
                 EIPTCTooLarge);
    // Blocks are always of even length: the largest that fits is 65532
    // bytes; one byte more in a value adds the pad byte and overflows.
    std::string second(65532 - 26 - 7 - 5 - 5 - 12 - largest.size(), 'x');
    EXPECT_EQ(
        blockFor({{"ImageCaption", largest.c_str()}, {"ImageHeadline", second.c_str()}}).size(),
        65532u);
    EXPECT_THROW(
        blockFor({{"ImageCaption", largest.c_str()}, {"ImageHeadline", (second + "x").c_str()}}),
        EIPTCTooLarge);
}

TEST(SetIPTCSegment, StoresTheLengthBytesBeforeTheBlock) {
    TimgData data;
    data.SetIPTCSegment("abc");
    ASSERT_NE(data.IptcSegment(), nullptr);
    EXPECT_EQ(data.IptcSegment()->data, std::string("\x00\x05"
                                                    "abc",
                                                    5));
    EXPECT_EQ(data.IptcSegment()->size, 5);
    EXPECT_EQ(data.IptcSegment()->type, 0xED);
    data.CreateEmptyIPTC(); // reuses the slot
    EXPECT_EQ(data.IptcSegment()->data, std::string("\x00\x02", 2));
    EXPECT_EQ(data.SectionCount(), 1);
}

} // namespace
} // namespace orvella
