// Running one job or work command: runCommand() sends a command record to
// the supervisor with its action code as the request tag and fills the
// caller's result record from the answer.
//
//   - A code outside the accepted set (client/zx_command_code.h) writes the
//     stamped log line "ERROR: unknown command: <code>" and sends nothing.
//   - The bump codes 290 and 291 travel as a bump command (tag 223) with
//     direction 1 or 2.
//   - A supervisor of protocol version 530 or later answers with a result
//     record, which is copied into `result`; an older one (529 or below)
//     answers with a bare list of job ids (content type 18) or work ids
//     (60), moved into the result's lists; other old answers are ignored.
//   - A refusal (reply tag 3 or 4) is a failure whose reason (the
//     supervisor's error record) goes into the last error; it is never
//     reported as a success with nothing done.
// Every failure leaves its reason in the last error: the transport's error
// when no supervisor answered, 2052 (with "ERROR: data returned blank" on
// standard error) for a missing content, 2053 (with "ERROR: report object
// returned invalid. - <content type>") for a content of the wrong class.
//
// The caller's records are lent to the request and stay the caller's.
#pragma once

#include "model/zx_command.h"
#include "model/zx_result.h"
#include "serial/zx_pack.h"

// Sends `command` as it stands (its action code set) and fills `result`.
bool runCommand(ZxCommand& command, ZxResult& result);

// The exchange behind runCommand() for any command record: `record` sent
// with `tag` (no code check), the answer read into `result` as above.
bool sendCommandRecord(int tag, ZxPack& record, ZxResult& result);
