-- VAT rates, lowest first; b_is_default marks the rate a new position starts with.
select id, n_vat, c_name, b_is_default
  from dirs.t_vat
 order by n_vat
