#pragma once
// The run state: one object per process, owned by the run and handed to
// whoever writes it. Texts start empty and numbers at 0.

#include <cstdint>
#include <string>

namespace qeb {

struct RunState {
  std::string RutaApp;    // the program's folder followed by a separator
  std::string TituloApp;  // "Cuotas IMSS (SUA)"
  int16_t DiscosLeidos = 0;
  int16_t RegValDiscos = 0;
  std::string RegValErroneo;  // the tail of a file whose last record is no validation record
  std::string RegValIdent;    // record positions 3-13
  std::string RegValCodigo;   // record positions 27-32
  std::string RegValInicial;  // record positions 69-72
  std::string RegValClave;    // record positions 121-139, source of the entry comment
};

}  // namespace qeb
