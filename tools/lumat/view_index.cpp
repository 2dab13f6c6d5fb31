#include "lumat/view_index.h"

#include <algorithm>
#include <array>
#include <thread>

#include "gds/layout_file.h"
#include "gds/name_codec.h"
#include "gds/stream_reader.h"

namespace korvex::lumat {
namespace {

// The elements that may become shapes: all but the references.
std::size_t ShapeCount(const gds::StructureSummary& st) {
  std::size_t n = 0;
  for (gds::ElementKind kind : {gds::ElementKind::kBoundary, gds::ElementKind::kPath, gds::ElementKind::kText,
                                gds::ElementKind::kNode, gds::ElementKind::kBox})
    n += st.counts[static_cast<std::size_t>(kind)];
  return n;
}

}  // namespace

bool ViewIndex::Open(const std::string& path, std::string& error) {
  m_path = path;
  if (path.empty()) {
    error = "No file was given.";
    return false;
  }
  gds::LayoutFileInfo stored;
  if (!gds::OpenLayoutFile(path, m_file, stored, error)) return false;
  const std::string signature = gds::CheckSignature(m_file.data(), m_file.size());
  if (!signature.empty()) {
    error = "Not a GDSII stream: " + signature + ".";
    return false;
  }
  // One pass on every core, which lists the pairs each structure uses as it goes.
  gds::SummaryOptions options;
  options.threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  options.pairs = true;
  gds::Diagnostics diagnostics;
  const bool summarized = gds::Summarize(m_file.data(), m_file.size(), diagnostics, m_summary, options);
  const gds::Issue* fatal = diagnostics.fatal();
  if (!summarized) {
    error = fatal ? fatal->Text() : "The file could not be read.";
    return false;
  }
  if (m_summary.listed.empty()) {
    error = fatal ? fatal->Text() : "The file holds no structures.";
    return false;
  }
  m_hierarchy = gds::ResolveHierarchy(m_summary, m_file.data(), m_file.size());
  m_broken = fatal != nullptr;
  if (fatal) {
    m_warning = "The file breaks off; showing what comes before. " + fatal->Text();
  } else if (m_hierarchy.cycle_count > 0) {
    m_warning = "The references form a cycle through " + NameOf(m_hierarchy.cycles[0][0]) + "; it is drawn once.";
  } else if (!m_hierarchy.undefined.empty()) {
    m_warning = "Referenced but not defined: " + NameOf(m_hierarchy.undefined[0]) +
                (m_hierarchy.undefined.size() > 1 ? " and others." : ".");
  } else if (diagnostics.warning_count() > 0 && !diagnostics.issues().empty()) {
    // Damaged records are not drawn from; say where the first one is.
    m_warning = "The file has " + std::to_string(diagnostics.warning_count()) +
                " damaged or odd records, not drawn from; the first: " + diagnostics.issues().front().Text();
  }

  // Most structures use the same few pairs: a direct-mapped filter keeps the union short.
  std::vector<LayerKey> all;
  std::array<std::uint64_t, 4096> recent{};
  for (std::uint32_t s : m_summary.listed) {
    for (LayerKey k : m_summary.structures[s].pairs) {
      std::uint64_t& seen = recent[(std::uint64_t(k) * 0x9E3779B97F4A7C15u) >> 52];  // top bits: all of the key
      if (seen == std::uint64_t(k) + 1) continue;
      seen = std::uint64_t(k) + 1;
      all.push_back(k);
    }
  }
  m_layers.Assign(std::move(all));
  m_own_slots.assign(m_summary.structures.size(), {});
  for (std::uint32_t s : m_summary.listed) {
    const std::vector<LayerKey>& pairs = m_summary.structures[s].pairs;
    m_own_slots[s].reserve(pairs.size());
    for (LayerKey k : pairs) m_own_slots[s].push_back(*m_layers.SlotOf(k));
  }
  // The slots say the same as the pair lists, which are a good part of the index's memory.
  for (std::uint32_t s : m_summary.listed) std::vector<LayerKey>().swap(m_summary.structures[s].pairs);
  OrderBottomUp();
  m_tables.resize(m_summary.structures.size());
  m_reading.assign(m_summary.structures.size(), 0);
  return true;
}

void ViewIndex::OrderBottomUp() {
  // Depth first with an explicit stack (a hostile file may nest very deeply).
  const std::size_t n = m_summary.structures.size();
  std::vector<std::uint8_t> state(n, 0);  // 0 new, 1 on the stack, 2 done
  std::vector<std::pair<std::uint32_t, std::size_t>> stack;
  for (std::uint32_t root : m_summary.listed) {
    if (state[root] != 0) continue;
    state[root] = 1;
    stack.push_back({root, 0});
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      const gds::StructureSummary& st = m_summary.structures[node];
      if (next == st.reference_count) {
        state[node] = 2;
        m_bottom_up.push_back(node);
        stack.pop_back();
        continue;
      }
      const std::uint32_t child = m_summary.references[st.first_reference + next++].child;
      if (state[child] == 0 && m_summary.structures[child].defined) {
        state[child] = 1;
        stack.push_back({child, 0});
      }
    }
  }
}

std::optional<std::uint32_t> ViewIndex::DefaultTop() const {
  std::optional<std::uint32_t> best, best_any;
  for (std::uint32_t s : m_summary.listed) {
    const std::uint32_t depth = m_hierarchy.depth[s];
    if (!best_any || depth >= m_hierarchy.depth[*best_any]) best_any = s;
    if (m_hierarchy.referenced[s]) continue;
    if (!best || depth >= m_hierarchy.depth[*best]) best = s;
  }
  return best ? best : best_any;
}

bool ViewIndex::FindStructure(const std::string& text, std::uint32_t& structure, std::string& error) const {
  std::vector<std::string> names;
  names.reserve(m_summary.listed.size());
  for (std::uint32_t s : m_summary.listed) names.push_back(m_summary.structures[s].name);
  const gds::NameResolution found = gds::ResolveStructureName(gds::DecodeName(text), names);
  if (!found.found) {
    error = found.error;
    return false;
  }
  structure = m_summary.listed[found.index];
  return true;
}

double ViewIndex::UserUnitsPerDbu() const {
  const double u = m_summary.header.user_unit.value();
  return u > 0 ? u : 0.001;
}

const ShapeTable* ViewIndex::Shapes(std::uint32_t structure, const CancelFn& cancelled) const {
  {
    std::unique_lock lock(m_mutex);
    m_read_done.wait(lock, [&] { return m_tables[structure] || !m_reading[structure]; });
    if (m_tables[structure]) return m_tables[structure].get();
    m_reading[structure] = 1;
  }
  return ReadClaimed(structure, cancelled);
}

bool ViewIndex::HasShapes(std::uint32_t structure) const {
  std::lock_guard lock(m_mutex);
  return m_tables[structure] != nullptr;
}

void ViewIndex::ReadAhead(std::uint32_t structure, const CancelFn& cancelled) const {
  {
    std::lock_guard lock(m_mutex);
    if (m_tables[structure] || m_reading[structure]) return;
    m_reading[structure] = 1;
  }
  ReadClaimed(structure, cancelled);
}

const ShapeTable* ViewIndex::ReadClaimed(std::uint32_t structure, const CancelFn& cancelled) const {
  const gds::StructureSummary& st = m_summary.structures[structure];
  std::unique_ptr<ShapeTable> table =
      st.defined ? ReadShapeTable(m_file.data(), m_file.size(), st.offset, m_layers, cancelled, ShapeCount(st))
                 : std::make_unique<ShapeTable>();
  const ShapeTable* out = nullptr;
  {
    std::lock_guard lock(m_mutex);
    m_reading[structure] = 0;
    if (table) m_tables[structure] = std::move(table);
    out = m_tables[structure].get();
  }
  m_read_done.notify_all();
  return out;
}

}  // namespace korvex::lumat
