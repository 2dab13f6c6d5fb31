#include "core/options/polygon_filter_model.h"

#include <climits>

#include "core/options/field_number.h"

namespace korvex {
namespace {

constexpr double kMaxLimit = 10000000;
constexpr int kMaxVertexLimit = 250000;

struct RealField {
  PolygonField field;
  double JobSettings::*value;
};

constexpr RealField kRealFields[] = {
    {PolygonField::kMinExt, &JobSettings::MinExt},   {PolygonField::kMaxExt, &JobSettings::MaxExt},
    {PolygonField::kHWRatio, &JobSettings::HWRatio}, {PolygonField::kWHRatio, &JobSettings::WHRatio},
    {PolygonField::kAreaRatio, &JobSettings::AreaRatio},
};

struct IntegerField {
  PolygonField field;
  int JobSettings::*value;
  int low;
  int high;
};

constexpr IntegerField kIntegerFields[] = {
    {PolygonField::kMaxVertex, &JobSettings::MaxVertex, 0, kMaxVertexLimit},
    {PolygonField::kPolyOff, &JobSettings::PolyOff, INT_MIN, INT_MAX},
    {PolygonField::kVertCnt, &JobSettings::VertCnt, INT_MIN, INT_MAX},
};

// The order in which the fields are checked; the first bad one is reported.
constexpr PolygonField kReadOrder[] = {
    PolygonField::kAreaRatio, PolygonField::kHWRatio,   PolygonField::kMaxExt,  PolygonField::kMinExt,
    PolygonField::kMaxVertex, PolygonField::kWHRatio,   PolygonField::kPolyOff, PolygonField::kVertCnt,
};

}  // namespace

PolygonFilterModel::PolygonFilterModel(const JobSettings& settings)
    : pfOn(settings.PFOn != 0), m_limitsEnabled(pfOn), m_debugShown(settings.DebugMode != 0) {
  for (const RealField& f : kRealFields) m_fields[Index(f.field)] = FormatFieldReal(settings.*f.value);
  for (const IntegerField& f : kIntegerFields) m_fields[Index(f.field)] = std::to_string(settings.*f.value);
}

void PolygonFilterModel::FillEmptyFields() {
  for (const RealField& f : kRealFields) {
    if (m_fields[Index(f.field)].empty()) m_fields[Index(f.field)].assign(1, '0');
  }
  std::string& vertices = m_fields[Index(PolygonField::kMaxVertex)];
  if (vertices.empty()) vertices = std::to_string(kMaxVertexLimit);
}

Outcome<PolygonField> PolygonFilterModel::ReadFields(JobSettings& values) const {
  for (const PolygonField field : kReadOrder) {
    const std::string& text = m_fields[Index(field)];
    std::string message;
    for (const RealField& f : kRealFields) {
      if (f.field == field) message = ReadRealField(text, 0, kMaxLimit, values.*f.value);
    }
    for (const IntegerField& f : kIntegerFields) {
      if (f.field == field) message = ReadIntegerField(text, f.low, f.high, values.*f.value);
    }
    if (!message.empty()) return Outcome<PolygonField>::Refuse(message, field);
  }
  return Outcome<PolygonField>::Accept();
}

Outcome<PolygonField> PolygonFilterModel::ClickPolygonFiltering(bool ticked) {
  pfOn = ticked;
  FillEmptyFields();
  JobSettings scratch;
  Outcome<PolygonField> read = ReadFields(scratch);
  if (read.accepted) m_limitsEnabled = ticked;
  return read;
}

Outcome<PolygonField> PolygonFilterModel::Ok(JobSettings& settings) {
  FillEmptyFields();
  JobSettings values = settings;
  Outcome<PolygonField> read = ReadFields(values);
  if (!read.accepted) return read;
  if (pfOn && values.MinExt > values.MaxExt) {
    return Outcome<PolygonField>::Refuse(kPolygonExtentOrderMessage);
  }
  settings.PFOn = pfOn ? 1 : 0;
  if (pfOn) {
    settings.Explode = 1;
    settings.Prune = 1;
  }
  for (const RealField& f : kRealFields) settings.*f.value = values.*f.value;
  for (const IntegerField& f : kIntegerFields) settings.*f.value = values.*f.value;
  return read;
}

}  // namespace korvex
