// Umbrella header: everything a host needs.
#ifndef VESSAMUND_VESSAMUND_H_
#define VESSAMUND_VESSAMUND_H_

#include "vessamund/VmundRefcounted"
#include "vessamund/buffer.h"
#include "vessamund/contain_item.h"
#include "vessamund/db_client.h"
#include "vessamund/dictionary_item.h"
#include "vessamund/exception.h"
#include "vessamund/factory.h"
#include "vessamund/findings.h"
#include "vessamund/host_block.h"
#include "vessamund/match_logger.h"
#include "vessamund/predefined_items.h"
#include "vessamund/regex.h"
#include "vessamund/regex_item.h"
#include "vessamund/scan_area.h"
#include "vessamund/scanner.h"
#include "vessamund/validators.h"
#include "vessamund/wildcard_item.h"

#endif  // VESSAMUND_VESSAMUND_H_
