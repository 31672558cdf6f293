#pragma once

#include "kiln/cli/command.h"

// The commands of the tool, one group per file; commands.cpp lists them.
namespace KilnCli {

// seal_commands.cpp
int RunSeal(const Arguments& arguments, Streams& streams);
int RunUnseal(const Arguments& arguments, Streams& streams);

// digest_commands.cpp
int RunCrc32(const Arguments& arguments, Streams& streams);
int RunMd5(const Arguments& arguments, Streams& streams);
int RunSha1(const Arguments& arguments, Streams& streams);

// compress_commands.cpp
int RunCompress(const Arguments& arguments, Streams& streams);
int RunUncompress(const Arguments& arguments, Streams& streams);

// oauth_commands.cpp
int RunOAuthHeader(const Arguments& arguments, Streams& streams);

// updateinfo_commands.cpp
int RunUpdateInfo(const Arguments& arguments, Streams& streams);

// check_command.cpp
int RunCheck(const Arguments& arguments, Streams& streams);

// sign_commands.cpp
int RunKeyGen(const Arguments& arguments, Streams& streams);
int RunSign(const Arguments& arguments, Streams& streams);
int RunVerify(const Arguments& arguments, Streams& streams);

// patch_commands.cpp
int RunPatch(const Arguments& arguments, Streams& streams);

// publish_command.cpp
int RunPublish(const Arguments& arguments, Streams& streams);

}  // namespace KilnCli
