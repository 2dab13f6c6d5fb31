#include "core/options/inex_model.h"

#include "core/options/comma_list.h"

namespace korvex {
namespace {

void Fill(InexChoice& choice, const std::vector<std::string>& scanned) {
  choice.entries = scanned;
  choice.selected.assign(scanned.size(), false);
  for (std::size_t i = 0; i < scanned.size(); ++i) choice.selected[i] = ListHolds(choice.field, scanned[i]);
}

}  // namespace

InexModel::InexModel(const JobSettings& settings) {
  m_layers.field = settings.LayerList;
  m_layers.exclude = settings.LayerExclude != 0 ? 1 : 0;
  m_datatypes.field = settings.DatatypeList;
  m_datatypes.exclude = settings.DatatypeExclude != 0 ? 1 : 0;
}

void InexModel::Open(const std::vector<std::string>& layers, const std::vector<std::string>& datatypes) {
  Fill(m_layers, layers);
  Fill(m_datatypes, datatypes);
}

void InexModel::SetSelection(MappingKind kind, std::vector<bool> selected) {
  InexChoice& choice = Edit(kind);
  selected.resize(choice.entries.size(), false);
  choice.selected = std::move(selected);
  std::vector<std::string> picked;
  for (std::size_t i = 0; i < choice.entries.size(); ++i) {
    if (choice.selected[i]) picked.push_back(choice.entries[i]);
  }
  choice.field = JoinCommaList(picked);
}

std::string InexModel::Caption(MappingKind kind) const {
  const bool exclude = Choice(kind).exclude != 0;
  const char* what = kind == MappingKind::kLayers ? "Layers" : "Data Types";
  return std::string(what) + (exclude ? " to Exclude" : " to Include");
}

void InexModel::Show(int pendingMergeMode) {
  m_enabled = pendingMergeMode == kMergeModePlain;
  m_notice = m_enabled ? "" : kInexMergeNotice;
}

void InexModel::Confirm(JobSettings& settings) const {
  settings.LayerList = m_layers.field;
  settings.LayerExclude = m_layers.exclude;
  settings.DatatypeList = m_datatypes.field;
  settings.DatatypeExclude = m_datatypes.exclude;
}

}  // namespace korvex
