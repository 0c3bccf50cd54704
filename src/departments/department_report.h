// Report_bmbm: the department list report ("部 门 目 录") over the department editor's rows.
#pragma once

#include "platform/print/report_document.h"

#include <memory>

namespace ModBmReport {

// The report's design: page header with the title, the emptied label "Label2" and the column
// headings; one framed row per department (name, code, kind name, person in charge, telephone);
// page footer with the page number and the print date. No data source.
ReportDocument Report_bmbm();

// The design over source, with the page-header label "Label2" emptied, ready for output.
ReportDocument BuildDepartmentReport(std::shared_ptr<const ReportDataSource> source);

} // namespace ModBmReport
