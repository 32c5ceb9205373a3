// DICOM and NIfTI files are read in a child process: GDCM and the NIfTI
// library may abort or fault on a damaged or crafted file, and that must
// end the import with a refusal, not end the program. The child does the
// whole import and sends the result back (import_answer.h); its notes and
// progress reach the caller's streams.
#pragma once

#include <cstdio>
#include <string>

#include "platform/child_process.h"
#include "scan/import_options.h"
#include "scan/import_request.h"
#include "scan/importer.h"

namespace scan {

// Whether an import of this kind of input runs in a child.
bool readsInChild(InputKind input);

// importScan for DICOM and NIfTI, done by a child.
bool importInChild(const Options& options, int fitEdge, std::FILE* out, std::FILE* err, ImportedScan& scan,
                   std::string& error);

// The series list (--list) of a DICOM folder, made by a child.
bool listInChild(const Options& options, std::FILE* out, std::FILE* err, std::string& error);

// The child's side: does what `request` asks, writing its text to stdout
// and stderr and its answer to `link`. Returns the exit status.
int serveRequest(const ImportRequest& request, const platform::ParentLink& link);

// Tests only: called in the child after it announces each file it reads,
// to make it crash, hang or try to leave its confinement.
using ReaderFault = void (*)(const std::string& file);
void setReaderFaultForTests(ReaderFault fault);

}  // namespace scan
