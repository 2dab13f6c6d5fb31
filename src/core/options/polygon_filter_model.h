#pragma once

#include <array>
#include <string>

#include "core/job/job_settings.h"
#include "core/options/outcome.h"

namespace korvex {

// The fields of the "Polygon Filtering" dialog; the last two are shown in debug mode only.
enum class PolygonField {
  kMinExt,     // "Min. Extent"
  kMaxExt,     // "Max. Extent"
  kHWRatio,    // "Max. Height/Width Ratio"
  kWHRatio,    // "Max. Width/Height Ratio"
  kAreaRatio,  // "Max. Area Ratio"
  kMaxVertex,  // "Max. Vertex Count"
  kPolyOff,
  kVertCnt,
};
inline constexpr std::size_t kPolygonFieldCount = 8;

inline constexpr const char* kPolygonExtentOrderMessage = "Min. extent should be smaller than max. extent.";

// The "Polygon Filtering" dialog: the on/off box "Polygon Filtering (Automatic Trim and
// Explode)" and the limits it enables.
class PolygonFilterModel {
 public:
  // Opens the dialog on the settings' values.
  explicit PolygonFilterModel(const JobSettings& settings);

  bool pfOn = false;  // the check box as shown

  const std::string& Field(PolygonField field) const { return m_fields[Index(field)]; }
  void SetField(PolygonField field, std::string text) { m_fields[Index(field)] = std::move(text); }
  // The six limit fields follow the box; the two debug fields are shown only in debug mode.
  bool LimitsEnabled() const { return m_limitsEnabled; }
  bool DebugFieldsShown() const { return m_debugShown; }

  // The user clicked the box and it now shows `ticked`. With a bad field the message is
  // shown and the fields keep their enabling.
  Outcome<PolygonField> ClickPolygonFiltering(bool ticked);

  // OK: on success every limit is written (also with the box unticked); ticking the box
  // also switches on Explode and Prune.
  Outcome<PolygonField> Ok(JobSettings& settings);

 private:
  static std::size_t Index(PolygonField field) { return static_cast<std::size_t>(field); }
  void FillEmptyFields();
  Outcome<PolygonField> ReadFields(JobSettings& values) const;

  std::array<std::string, kPolygonFieldCount> m_fields;
  bool m_limitsEnabled = false;
  bool m_debugShown = false;
};

}  // namespace korvex
