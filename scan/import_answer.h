// What a reader process sends back: a stream of records, each a tag byte,
// a 64-bit little-endian length and that many bytes. The parent takes the
// bytes as untrusted: every length is checked against its limit and the
// samples against the dimensions before anything is allocated.
//   'F' path   the reader is about to read this file
//   'X' text   the import was refused with this message
//   'L'        the series were listed (on the reader's standard output)
//   'S' ...    an imported scan: modality, report and dimensions, each text
//              as a 32-bit length and bytes, the dimensions as 32-bit values
//   'R' ...    a scan read but not fitted (when it is smaller than the fitted
//              one would be): modality, values, orientation and source texts,
//              sample type (32 bits), clamped below and above (64 bits), the
//              spacing (64-bit doubles), whether the place in the patient is
//              known (32 bits), that place (the first sample and the three
//              axes, 12 doubles) and the dimensions
//   'D' ...    the samples, 16-bit, as many as the dimensions say; after 'S'
//              or 'R'
#pragma once

#include <cstddef>
#include <string>

#include "platform/child_process.h"
#include "scan/importer.h"

namespace scan {

bool sendReading(const platform::ParentLink& link, const std::string& path);
bool sendRefusal(const platform::ParentLink& link, const std::string& error);
bool sendListed(const platform::ParentLink& link);
bool sendScan(const platform::ParentLink& link, const ImportedScan& scan);
bool sendReadScan(const platform::ParentLink& link, const ReadScan& read);

struct ImportAnswer {
    enum class Kind { None, Refused, Listed, Imported, Read };
    Kind kind = Kind::None;  // None: the stream ended before a result
    std::string error;       // Refused: the importer's message
    std::string lastFile;    // the last file the reader said it was reading
    ImportedScan scan;       // Imported
    ReadScan read;           // Read: still to be fitted
};

// Where the answer's bytes come from: up to `size` bytes, 0 at the end.
class AnswerSource {
public:
    virtual ~AnswerSource() = default;
    virtual std::size_t read(void* data, std::size_t size) = 0;
};

// Reads records until the stream ends or holds a result. False with
// `damage` when the bytes break the format or a limit; what was read up to
// there stays in `answer`.
bool readAnswer(AnswerSource& source, ImportAnswer& answer, std::string& damage);

}  // namespace scan
