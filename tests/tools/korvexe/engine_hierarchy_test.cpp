// Hierarchies that other readers refuse never reach the output: a reference that closes a
// cycle is left out (warned with its structure and offset), and a structure without a name is
// written under one, on every way through the engine. Each output must read with KLayout.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>

#include "gds/hand_made_stream.h"
#include "gds/record.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

// The name a structure without one is written under: its BGNSTR's offset in the input.
std::string UnnamedAt(std::uint64_t offset) { return std::string("$$EMPTY_NAME$$_").append(std::to_string(offset)); }

// Names of the structures that `lib` places inside themselves, however indirectly.
std::vector<std::string> StructuresInCycles(const Library& lib) {
  std::map<std::string, std::vector<std::string>> children;
  for (const Structure& s : lib.structures)
    for (const gds::Element& e : s.elements)
      if (e.has_sname) children[s.header.name].push_back(e.sname);
  std::vector<std::string> found;
  std::map<std::string, int> state;  // 1 on the path, 2 done
  std::function<void(const std::string&)> walk = [&](const std::string& n) {
    state[n] = 1;
    for (const std::string& c : children[n]) {
      if (state[c] == 1) found.push_back(c);
      if (state[c] == 0) walk(c);
    }
    state[n] = 2;
  };
  for (const Structure& s : lib.structures)
    if (state[s.header.name] == 0) walk(s.header.name);
  return found;
}

std::vector<std::string> ChildrenOf(const Library& lib, const std::string& name) {
  std::vector<std::string> out;
  if (const Structure* s = lib.Find(name))
    for (const gds::Element& e : s->elements)
      if (e.has_sname) out.push_back(e.sname);
  return out;
}

class Hierarchy : public ::testing::Test {
 protected:
  // TOP -> A -> B -> C -> A, B -> B, and C -> D; LOOSE -> LOOSE outside TOP's tree. The
  // references that close the cycles are C -> A and B -> B.
  void WriteCycles() {
    gds::FileSink sink;
    ASSERT_TRUE(sink.Open(in_));
    gds::RecordWriter w(sink);
    const gds::StructureHeader top = gds::testing::BeginLibraryAndStructure(w, "CYCLES", "TOP");
    gds::WriteElement(w, Ref("A", 0, 0));
    gds::WriteStructureEnd(w, top);
    const auto cell = [&](const std::string& name, const std::vector<std::string>& refs) {
      gds::StructureHeader h;
      h.name = name;
      gds::WriteStructureBegin(w, h);
      gds::WriteElement(w, Rect(1, 0, 0, 0, 10, 10));
      for (const std::string& r : refs) {
        if ((name == "C" && r == "A") || (name == "B" && r == "B")) closing_[name] = w.bytes_written();
        gds::WriteElement(w, Ref(r, 100, 0));
      }
      gds::WriteStructureEnd(w, h);
    };
    cell("A", {"B"});
    cell("B", {"B", "C"});
    cell("C", {"A", "D"});
    cell("D", {});
    cell("LOOSE", {"LOOSE"});
    gds::WriteLibraryEnd(w);
    ASSERT_TRUE(sink.Close());
  }

  EngineResult Run(const std::string& top, const std::string& switches, const std::string& out_name) {
    const std::string out = dir_.File(out_name);
    outputs_.push_back(out);
    const EngineResult r = RunEngineText("\"" + in_ + "\" \"" + out + "\" \"" + top + "\" " + switches, dir_);
    EXPECT_GT(r.exit_code, 0) << r.log;
    EXPECT_LT(r.exit_code, 127) << r.log;
    out_ = ReadLibrary(out);
    EXPECT_EQ(out_.error, "") << switches;
    return r;
  }

  void ExpectCutWhereTheCyclesClose(const EngineResult& r, const std::string& how) {
    EXPECT_EQ(StructuresInCycles(out_), std::vector<std::string>{}) << how;
    EXPECT_EQ(ChildrenOf(out_, "TOP"), std::vector<std::string>{"A"}) << how;
    EXPECT_EQ(ChildrenOf(out_, "A"), std::vector<std::string>{"B"}) << how;
    EXPECT_EQ(ChildrenOf(out_, "B"), std::vector<std::string>{"C"}) << how;
    EXPECT_EQ(ChildrenOf(out_, "C"), std::vector<std::string>{"D"}) << how;
    EXPECT_NE(r.log.find(std::string("structure C: element at offset ")
                             .append(std::to_string(closing_["C"]))
                             .append(" (SREF of A) not written: it closes a reference cycle, A is above C")),
              std::string::npos)
        << how << "\n" << r.log;
    EXPECT_NE(r.log.find(std::string("structure B: element at offset ")
                             .append(std::to_string(closing_["B"]))
                             .append(" (SREF of B) not written: it closes a reference cycle")),
              std::string::npos)
        << how << "\n" << r.log;
  }

  TempDir dir_;
  std::string in_ = dir_.File("in.gds");
  std::map<std::string, std::uint64_t> closing_;
  Library out_;
  std::vector<std::string> outputs_;
};

TEST_F(Hierarchy, ReferencesClosingACycleAreLeftOutOnEveryWay) {
  WriteCycles();
  ExpectCutWhereTheCyclesClose(Run("TOP", "", "copy.gds"), "copy");
  ExpectCutWhereTheCyclesClose(Run("TOP", "-x -X -lyr7:8", "records.gds"), "record by record");
  ExpectCutWhereTheCyclesClose(Run("TOP", "-unfold", "elements.gds"), "element by element");
  ExpectCutWhereTheCyclesClose(Run("TOP", "-prune", "pruned.gds"), "prune");

  // Every structure kept: LOOSE's reference to itself goes too.
  ExpectCutWhereTheCyclesClose(Run("", "", "all.gds"), "no top");
  EXPECT_EQ(ChildrenOf(out_, "LOOSE"), std::vector<std::string>{});
  EXPECT_NE(out_.Find("LOOSE"), nullptr);

  WriteText(dir_.File("korvex.lst"), dir_.File("copy.gds") + "\n");
  ExpectCutWhereTheCyclesClose(Run("TOP", "-merge", "merged.gds"), "-merge");

  const std::optional<std::string> refusals = KLayoutRefusals(outputs_, dir_);
  if (!refusals) GTEST_SKIP() << "KLayout is not installed";
  EXPECT_EQ(*refusals, "");
}

TEST_F(Hierarchy, ACycleMadeByTwoFilesTogetherIsCutInTheMergedOutput) {
  // The input's X is defined only by the listed file, whose X places TOP: the input's TOP,
  // since the listed file's own TOP is dropped as a later definition.
  WriteLibrary(in_, LibraryOf({Cell("TOP", {Ref("X", 0, 0), Rect(1, 0, 0, 0, 5, 5)})}));
  const std::string other = dir_.File("other.gds");
  WriteLibrary(other, LibraryOf({Cell("X", {Ref("TOP", 10, 0), Rect(2, 0, 0, 0, 5, 5)}), Cell("TOP", {})}));
  WriteText(dir_.File("korvex.lst"), other + "\n");
  const EngineResult r = Run("TOP", "-merge", "merged.gds");
  EXPECT_EQ(StructuresInCycles(out_), std::vector<std::string>{});
  EXPECT_EQ(ChildrenOf(out_, "TOP"), std::vector<std::string>{"X"});
  EXPECT_EQ(ChildrenOf(out_, "X"), std::vector<std::string>{});
  EXPECT_NE(r.log.find("structure X: element at offset "), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("(SREF of TOP) not written: it closes a reference cycle"), std::string::npos) << r.log;
}

TEST_F(Hierarchy, StructuresWithoutANameAreWrittenUnderOneThatReadersTake) {
  // One structure with an empty STRNAME, one with none at all, and TOP.
  gds::FileSink sink;
  ASSERT_TRUE(sink.Open(in_));
  gds::RecordWriter w(sink);
  const gds::StructureHeader top = gds::testing::BeginLibraryAndStructure(w, "UNNAMED", "TOP");
  gds::WriteElement(w, Rect(1, 0, 0, 0, 10, 10));
  gds::WriteStructureEnd(w, top);
  gds::StructureHeader empty;
  const std::string first = UnnamedAt(w.bytes_written());
  gds::WriteStructureBegin(w, empty);
  gds::WriteElement(w, Rect(2, 0, 0, 0, 10, 10));
  gds::WriteStructureEnd(w, empty);
  const std::string second = UnnamedAt(w.bytes_written());
  w.Int16s(gds::kBgnStr, std::array<std::int16_t, 12>{});
  gds::WriteElement(w, Rect(3, 0, 0, 0, 10, 10));
  w.Empty(gds::kEndStr);
  gds::WriteLibraryEnd(w);
  ASSERT_TRUE(sink.Close());

  const std::vector<std::string> all = {"TOP", first, second};
  for (const char* switches : {"", "-x -X -lyr7:8", "-unfold"}) {
    const EngineResult r = Run("", switches, std::string("out").append(std::to_string(outputs_.size())).append(".gds"));
    EXPECT_EQ(out_.Names(), all) << switches;
    EXPECT_NE(r.log.find("written as " + first), std::string::npos) << r.log;
    ASSERT_NE(out_.Find(second), nullptr);
    EXPECT_EQ(out_.Find(second)->elements.size(), 1u);
  }
  WriteText(dir_.File("korvex.lst"), outputs_.front() + "\n");
  Run("", "-add", "added.gds");
  EXPECT_EQ(out_.Names(), all);  // the listed copy's three are identical: written once
  for (const std::string& name : out_.Names()) EXPECT_FALSE(name.empty());
  Run(first, "-explode", "flat.gds");
  EXPECT_EQ(out_.Names(), std::vector<std::string>{first});

  const std::optional<std::string> refusals = KLayoutRefusals(outputs_, dir_);
  if (!refusals) GTEST_SKIP() << "KLayout is not installed";
  EXPECT_EQ(*refusals, "");
}

}  // namespace
}  // namespace korvex::enginetest
