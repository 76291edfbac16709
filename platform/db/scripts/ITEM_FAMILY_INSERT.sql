-- Returns the stored family with the name of its unit, as the select does.
with f as (
    insert into dirs.t_item_family (id_type, c_name, id_meas_unit, n_reject_rate, c_comment, c_color)
    values (:id_type, btrim( :c_name ), :id_meas_unit, coalesce( :n_reject_rate, 0), :c_comment, :c_color)
    returning *
)
select f.id, f.id_type, f.c_name, f.id_meas_unit, u.c_name as c_meas_unit, f.n_reject_rate, f.c_comment,
       f.c_color, f.n_row_version
  from f
  left join dirs.t_meas_unit u on u.id = f.id_meas_unit
