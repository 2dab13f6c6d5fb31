// Everything the viewer knows about an open file: the memory map, the library's summary of
// structures and references with the extents of each tree, the layer/datatype pairs, and the
// shapes of each structure, read the first time a view needs them. No object per shape: a
// structure's shapes live in one flat table.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/mapped_file.h"
#include "lumat/layer_table.h"
#include "lumat/shape_table.h"

namespace korvex::lumat {

using CancelFn = std::function<bool()>;

class ViewIndex {
 public:
  // Maps and indexes `path`. False with `error` set when the file cannot be shown at all; a
  // file that breaks part way opens with what came before, and warning() says where.
  bool Open(const std::string& path, std::string& error);

  const std::string& path() const { return m_path; }
  // The summary without its per-structure pair lists (OwnSlots() holds them as slots).
  const gds::LayoutSummary& summary() const { return m_summary; }
  const gds::Hierarchy& hierarchy() const { return m_hierarchy; }
  const LayerTable& layers() const { return m_layers; }
  // Empty, or the first problem met while reading (with its byte offset).
  const std::string& warning() const { return m_warning; }
  // The file breaks off or is damaged part way (the warning says where).
  bool broken() const { return m_broken; }

  // The pairs a structure's own elements use, as slots, each once.
  const std::vector<std::uint32_t>& OwnSlots(std::uint32_t structure) const { return m_own_slots[structure]; }
  // Defined structures ordered so that each comes after every structure it references
  // (references that close a cycle are left out of the ordering).
  const std::vector<std::uint32_t>& BottomUp() const { return m_bottom_up; }

  // The independent structure with the deepest tree (the later one in the file on a tie); any
  // structure when every one is referenced; nothing for a file without structures.
  std::optional<std::uint32_t> DefaultTop() const;
  // A structure by the name the front end passes: %XX decoded, a 34-character name standing
  // for the one longer name it begins. False with `error` saying why.
  bool FindStructure(const std::string& text, std::uint32_t& structure, std::string& error) const;
  // The structure's name for display and the box of its whole tree (database units).
  const std::string& NameOf(std::uint32_t structure) const { return m_summary.structures[structure].name; }
  const gds::Box& TreeBox(std::uint32_t structure) const { return m_hierarchy.extents[structure]; }
  // Size of a database unit in user units.
  double UserUnitsPerDbu() const;

  // The shapes of a structure, read on first use. Null when `cancelled` interrupted the
  // reading (it is then read again next time). Safe to call from several threads: a call
  // that finds another thread reading the structure waits for that reading.
  const ShapeTable* Shapes(std::uint32_t structure, const CancelFn& cancelled) const;
  // The structure's shapes are read already.
  bool HasShapes(std::uint32_t structure) const;
  // Reads the structure's shapes unless they are read or being read already; never waits.
  // For threads that read ahead of a drawing.
  void ReadAhead(std::uint32_t structure, const CancelFn& cancelled) const;

 private:
  void OrderBottomUp();
  // Reads a structure this thread has claimed, keeps it and wakes whoever waits for it.
  const ShapeTable* ReadClaimed(std::uint32_t structure, const CancelFn& cancelled) const;

  std::string m_path;
  gds::MappedFile m_file;
  gds::LayoutSummary m_summary;
  gds::Hierarchy m_hierarchy;
  LayerTable m_layers;
  std::string m_warning;
  bool m_broken = false;
  std::vector<std::vector<std::uint32_t>> m_own_slots;
  std::vector<std::uint32_t> m_bottom_up;
  mutable std::mutex m_mutex;
  mutable std::condition_variable m_read_done;
  mutable std::vector<std::unique_ptr<ShapeTable>> m_tables;
  mutable std::vector<std::uint8_t> m_reading;  // a thread is reading the structure now
};

}  // namespace korvex::lumat
