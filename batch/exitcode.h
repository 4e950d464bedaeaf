// The exit statuses of qrlx-batch.
#pragma once

enum ExitCode {
    ecSuccess = 0,
    ecUsage = 2,
    ecCannotRead = 3,
    ecTitleMissing = 4,
    ecNoNode = 5,
    ecCannotWrite = 6,
    ecScratchFailed = 7,
    ecOutOfMemory = 8,
};
