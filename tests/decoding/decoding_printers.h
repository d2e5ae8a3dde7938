// Readable GoogleTest output for the message path's data types, so that a
// failed comparison names the field that differs.
#pragma once

#include <ostream>

#include "decoding/message_path.h"
#include "decoding/panel_state.h"
#include "decoding/text_record.h"

namespace corvane::decoding {

inline void PrintTo(const PanelState& panels, std::ostream* os) {
  *os << "{visible:";
  for (std::size_t i = 0; i < kPanelCount; ++i) {
    if (panels.visible[i]) {
      *os << ' ' << PanelName(static_cast<Panel>(i));
    }
  }
  *os << "; captions:";
  for (std::size_t i = 0; i < kValueCount; ++i) {
    if (!panels.captions[i].empty()) {
      *os << ' ' << ValueName(static_cast<Value>(i)) << "=\"" << panels.captions[i] << '"';
    }
  }
  *os << "; hidden rows:";
  for (std::size_t i = 0; i < kRowCount; ++i) {
    if (!panels.rowVisible[i]) {
      *os << ' ' << RowValueName(static_cast<Row>(i));
    }
  }
  *os << "; fINF=\"" << panels.infText << "\"; fMSG=\"" << panels.msgText << "\"}";
}

inline void PrintTo(const HeaderFields& header, std::ostream* os) {
  *os << "{vMde=\"" << header.vMde << "\" vReg=\"" << header.vReg << "\" vFId=\"" << header.vFId << "\" vMsn=\""
      << header.vMsn << "\" vLbl=\"" << header.vLbl << "\" flightVisible=" << header.flightVisible
      << " msnVisible=" << header.msnVisible << '}';
}

inline void PrintTo(const MessageRecord& r, std::ostream* os) {
  *os << "{Date=\"" << r.Date << "\" Hour=\"" << r.Hour << "\" Mode=\"" << r.Mode << "\" Address=\"" << r.Address
      << "\" Flight=\"" << r.Flight << "\" Label=\"" << r.Label << "\" Bloc=\"" << r.Bloc << "\" Msn=\"" << r.Msn
      << "\" Data=\"" << r.Data << "\"}";
}

}  // namespace corvane::decoding
