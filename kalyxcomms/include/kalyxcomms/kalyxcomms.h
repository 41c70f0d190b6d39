#pragma once

#include <kalyxcomms/Comms.h>
#include <kalyxcomms/Export.h>
#include <kalyxcomms/FailureReason.h>
#include <kalyxcomms/Printer.h>
#include <kalyxcomms/Session.h>
#include <kalyxcomms/Types.h>
