#pragma once
#include <complex>
#include <vector>

#include "model/HankelFilter.h"
#include "model/LayeredEarth.h"

// The Hankel filter sum Σ_k w_k K(b_k / r) of the quasi-static TE kernel of a vertical
// magnetic dipole over a layered earth, source and receiver at height h:
//   K(λ) = λ² r_TE(λ) e^{−2λh},  r_TE = (λ − Y1) / (λ + Y1),
// Y1 the surface admittance of the standard layer recursion (Ward and Hohmann 1988, ch. 4):
//   Y_N = u_N,  Y_j = u_j (Y_{j+1} + u_j tanh(u_j d_j)) / (u_j + Y_{j+1} tanh(u_j d_j)),
//   u_j = sqrt(λ² + iωμ0σ_j)   (time dependence e^{iωt}).
// Derivatives with respect to each σ_j come from one backward sweep through the recursion.
// Works on all abscissae of the filter at once, layer by layer, so the arithmetic of
// neighbouring abscissae overlaps; abscissae far below every layer's wavenumber share the
// recursion at λ = 0, and layers too deep for an abscissa to see are left out of its.
// Keeps scratch buffers: one object per thread.
class TeKernelSum {
public:
    // `gradient`, when given, has one element per layer; Σ_k w_k ∂K/∂σ_j is added to it.
    std::complex<double> Sum(const HankelFilter& filter, double r, double omega, double height,
                             const LayeredEarth& earth, std::complex<double>* gradient);

private:
    std::vector<double> lambda_, attenuation_;
    std::vector<size_t> reach_;     // slots [0, reach_[j]) see layer j
    std::vector<double> ur_, ui_;   // u_j at each abscissa, layer-major
    std::vector<double> tr_, ti_;   // e^{−2 u_j d_j}
    std::vector<double> yr_, yi_;   // Y_j
    std::vector<double> pr_, pi_;   // ∂(w K)/∂Y_j of the backward sweep
    std::vector<double> dr_, di_;   // each abscissa's share of ∂(w K)/∂σ_j
};
