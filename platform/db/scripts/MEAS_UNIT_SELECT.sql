-- n_precission: the decimals a quantity in the unit is entered with.
select id, c_name, c_short_name, c_okei_code, n_precission
  from dirs.t_meas_unit
 order by c_name
